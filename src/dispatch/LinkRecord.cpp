#include "LinkRecord.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace orba::dispatch {

namespace {

std::atomic<long> g_liveStrings{0};

struct StringHeader {
  std::int32_t refCount;
  std::int32_t length;
};

OrbaString allocateString(const QByteArray& bytes) {
  if (bytes.isEmpty()) return nullptr;
  auto* block = static_cast<char*>(std::malloc(sizeof(StringHeader) + bytes.size() + 1));
  if (!block) throw std::bad_alloc();
  StringHeader header{1, static_cast<std::int32_t>(bytes.size())};
  std::memcpy(block, &header, sizeof header);
  char* text = block + sizeof header;
  std::memcpy(text, bytes.constData(), bytes.size());
  text[bytes.size()] = '\0';
  ++g_liveStrings;
  return text;
}

void releaseString(OrbaString text) {
  if (!text) return;
  char* block = const_cast<char*>(text) - sizeof(StringHeader);
  auto* header = reinterpret_cast<StringHeader*>(block);
  if (--header->refCount == 0) {
    std::free(block);
    --g_liveStrings;
  }
}

}  // namespace

LinkRecord::LinkRecord() { std::memset(&rec_, 0, sizeof rec_); }

LinkRecord::~LinkRecord() {
  for (int f = 0; f <= static_cast<int>(Field::OptionContext); ++f)
    releaseString(std::exchange(slot(static_cast<Field>(f)), nullptr));
}

LinkRecord& LinkRecord::instance() {
  static LinkRecord record;
  return record;
}

long LinkRecord::liveStrings() { return g_liveStrings.load(); }

OrbaString& LinkRecord::slot(Field field) {
  switch (field) {
    case Field::LoginName:
      return rec_.LoginName;
    case Field::UserName:
      return rec_.UserName;
    case Field::Reserved1:
      return rec_.Reserved1;
    case Field::CompanyNumber:
      return rec_.CompanyNumber;
    case Field::CompanyName:
      return rec_.CompanyName;
    case Field::PrinterIndex:
      return rec_.PrinterIndex;
    case Field::Reserved2:
      return rec_.Reserved2;
    case Field::Customer:
      return rec_.Customer;
    case Field::ProgramDir:
      return rec_.ProgramDir;
    case Field::DataDir:
      return rec_.DataDir;
    case Field::Reserved3:
      return rec_.Reserved3;
    case Field::Reserved4:
      return rec_.Reserved4;
    case Field::Reserved5:
      return rec_.Reserved5;
    case Field::OptionContext:
      break;
  }
  return rec_.OptionContext;
}

OrbaString LinkRecord::slot(Field field) const { return const_cast<LinkRecord*>(this)->slot(field); }

void LinkRecord::set(Field field, const QString& text) {
  OrbaString fresh = allocateString(text.toUtf8());
  releaseString(std::exchange(slot(field), fresh));
}

QString LinkRecord::get(Field field) const {
  const OrbaString text = slot(field);
  return text ? QString::fromUtf8(text, OrbaStringLength(text)) : QString();
}

void LinkRecord::setLanguageCode(const QString& code) {
  const QByteArray bytes = code.left(2).toLatin1();
  rec_.LanguageCode.length = static_cast<std::uint8_t>(bytes.size());
  rec_.LanguageCode.chars[0] = bytes.size() > 0 ? bytes[0] : '\0';
  rec_.LanguageCode.chars[1] = bytes.size() > 1 ? bytes[1] : '\0';
}

void LinkRecord::setLanguage(int number) {
  rec_.Language = number;
  setLanguageCode(number == 1 ? QStringLiteral("en") : number == 2 ? QStringLiteral("fr") : QString());
}

QString LinkRecord::languageCode() const {
  return QString::fromLatin1(rec_.LanguageCode.chars, rec_.LanguageCode.length);
}

}  // namespace orba::dispatch
