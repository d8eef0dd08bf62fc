#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "LinkRecord.h"

using orba::dispatch::LinkRecord;

TEST(LinkRecord, LayoutIsTheWireFormat) {
  // The 32-bit offsets are checked by the header itself when built for
  // 32-bit targets; here the x86-64 ones, as module authors see them.
  EXPECT_EQ(offsetof(TLinkSection, LoginName), 0u);
  EXPECT_EQ(offsetof(TLinkSection, CompanyNumber), 24u);
  EXPECT_EQ(offsetof(TLinkSection, Language), 40u);
  EXPECT_EQ(offsetof(TLinkSection, LanguageCode), 44u);
  EXPECT_EQ(offsetof(TLinkSection, PrinterIndex), 48u);
  EXPECT_EQ(offsetof(TLinkSection, ReservedFlag), 104u);
  EXPECT_EQ(offsetof(TLinkSection, Reserved5), 112u);
  EXPECT_EQ(offsetof(TLinkSection, UserDetail), 128u);
  EXPECT_EQ(offsetof(TLinkSection, OptionContext), 136u);
  EXPECT_EQ(sizeof(TLinkSection), 144u);
  EXPECT_EQ(sizeof(OrbaLanguageCode), 3u);
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
