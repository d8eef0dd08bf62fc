#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "LinkRecord.h"

using orba::dispatch::LinkRecord;

// Each field lands in its own slot of the record a module reads, and in no
// other: a module finds the company's name where the header puts it.
TEST(LinkRecord, EachFieldIsWrittenToItsOwnSlotOfTheRecord) {
  using F = LinkRecord::Field;
  const std::pair<F, OrbaString TLinkSection::*> placed[] = {
      {F::LoginName, &TLinkSection::LoginName},     {F::UserName, &TLinkSection::UserName},
      {F::Reserved1, &TLinkSection::Reserved1},     {F::CompanyNumber, &TLinkSection::CompanyNumber},
      {F::CompanyName, &TLinkSection::CompanyName}, {F::PrinterIndex, &TLinkSection::PrinterIndex},
      {F::Reserved2, &TLinkSection::Reserved2},     {F::Customer, &TLinkSection::Customer},
      {F::ProgramDir, &TLinkSection::ProgramDir},   {F::DataDir, &TLinkSection::DataDir},
      {F::Reserved3, &TLinkSection::Reserved3},     {F::Reserved4, &TLinkSection::Reserved4},
      {F::Reserved5, &TLinkSection::Reserved5},     {F::OptionContext, &TLinkSection::OptionContext},
  };
  for (const auto& [field, member] : placed) {
    LinkRecord link;
    link.set(field, QStringLiteral("x"));
    for (const auto& [other, otherMember] : placed) {
      const OrbaString text = link.section().*otherMember;
      if (other == field)
        EXPECT_STREQ(text, "x") << static_cast<int>(field);
      else
        EXPECT_EQ(text, nullptr) << static_cast<int>(field) << " also wrote " << static_cast<int>(other);
    }
  }
}

TEST(LinkRecord, StringsCarryLengthAndCountBeforeTheText) {
  LinkRecord link;
  link.set(LinkRecord::Field::CompanyName, QStringLiteral("Café Ltée"));
  const char* text = link.section().CompanyName;
  ASSERT_NE(text, nullptr);
  const QByteArray utf8 = QStringLiteral("Café Ltée").toUtf8();
  EXPECT_EQ(OrbaStringLength(text), utf8.size());
  EXPECT_EQ(std::strcmp(text, utf8.constData()), 0);
  std::int32_t refCount;
  std::memcpy(&refCount, text - 8, 4);
  EXPECT_EQ(refCount, 1);
  EXPECT_EQ(link.get(LinkRecord::Field::CompanyName), QStringLiteral("Café Ltée"));

  link.set(LinkRecord::Field::CompanyName, QString());
  EXPECT_EQ(link.section().CompanyName, nullptr) << "empty text is a null pointer";
  EXPECT_EQ(OrbaStringLength(link.section().CompanyName), 0);
}

TEST(LinkRecord, ReplacingAndDestroyingReleaseEveryString) {
  const long before = LinkRecord::liveStrings();
  {
    LinkRecord link;
    for (int i = 0; i < 100; ++i) {
      link.set(LinkRecord::Field::UserName, QStringLiteral("user %1").arg(i));
      link.set(LinkRecord::Field::OptionContext, i % 2 ? QStringLiteral("ap") : QString());
    }
    link.set(LinkRecord::Field::DataDir, QStringLiteral("/data"));
    EXPECT_EQ(LinkRecord::liveStrings(), before + 3);
  }
  EXPECT_EQ(LinkRecord::liveStrings(), before);
}

TEST(LinkRecord, LanguageCodeIsAShortStringOfTwo) {
  LinkRecord link;
  link.setLanguage(2);
  EXPECT_EQ(link.section().Language, 2);
  EXPECT_EQ(link.section().LanguageCode.length, 2);
  EXPECT_EQ(std::string(link.section().LanguageCode.chars, 2), "fr");
  link.setLanguage(0);
  EXPECT_EQ(link.section().LanguageCode.length, 0);
  EXPECT_EQ(link.languageCode(), "");
  link.setLanguageCode(QStringLiteral("esp"));
  EXPECT_EQ(link.languageCode(), "es") << "only two characters fit";
}
