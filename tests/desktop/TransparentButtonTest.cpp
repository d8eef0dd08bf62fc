// The transparent button: its rules checked on rendered pixels and on real
// mouse events, and its component stream.

#include <gtest/gtest.h>

#include <QPainter>
#include <QtTest/QTest>

#include "ComponentStreams.h"
#include "TransparentButton.h"

using namespace orba::desktop;

namespace {

// A 32 x 32 frame: a red square inside a white border, the bottom-left
// pixel (white) being the transparent colour.
QImage frame(QColor inside = Qt::red) {
  QImage image(32, 32, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter(&image).fillRect(4, 4, 24, 24, inside);
  return image;
}

// A parent painted in one colour, so that what the button leaves alone shows.
struct Desk : QWidget {
  Desk() {
    resize(200, 150);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(10, 20, 30));
    setPalette(p);
  }
};

QImage render(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace

TEST(TransparentButton, NumGlyphsFollowsTheGlyphsShape) {
  TTransparentButton b;
  b.setGlyph(QImage(96, 32, QImage::Format_RGB32));
  EXPECT_EQ(b.numGlyphs(), 3);
  EXPECT_EQ(b.glyphList().size(), 5u) << "three frames, then gray and disabled";
  b.setGlyph(QImage(192, 32, QImage::Format_RGB32));
  EXPECT_EQ(b.numGlyphs(), 1) << "six frames is more than four";
  b.setNumGlyphs(2);
  b.setGlyph(QImage(100, 32, QImage::Format_RGB32));
  EXPECT_EQ(b.numGlyphs(), 2) << "not a multiple: left as it was";
  EXPECT_EQ(b.glyphList().size(), 4u);
  EXPECT_EQ(b.glyphList()[0].width(), 50);
}

TEST(TransparentButton, GrayUsesWeightsElevenFiftyNineThirty) {
  EXPECT_EQ(TTransparentButton::grayLevel(qRgb(255, 0, 0)), 28);
  EXPECT_EQ(TTransparentButton::grayLevel(qRgb(0, 0, 255)), 76);
  EXPECT_EQ(TTransparentButton::grayLevel(qRgb(0, 255, 0)), 150);
  const QImage gray = TTransparentButton::grayVersion(frame());
  EXPECT_EQ(gray.pixel(10, 10), qRgb(28, 28, 28));
  EXPECT_EQ(gray.pixel(0, 0), qRgb(255, 255, 255));
}

TEST(TransparentButton, GlyphAndCaptionPlacedAsTheSpacingSays) {
  Desk desk;
  auto* b = new TTransparentButton(&desk);  // 40 x 40, ttaBottom, spacing 2
  b->setFrameStyle(TFrameStyle::fsNone);
  b->setGlyph(frame());
  b->setCaption("x");
  desk.show();
  const QImage shot = render(desk);
  // The glyph at (4, 2): its red square starts 4 pixels further in.
  EXPECT_EQ(shot.pixel(4 + 4, 2 + 4), qRgb(255, 0, 0));
  EXPECT_EQ(shot.pixel(4 + 3, 2 + 4), qRgb(10, 20, 30)) << "the glyph's white is transparent";
  EXPECT_EQ(shot.pixel(0, 0), qRgb(10, 20, 30)) << "nothing painted outside the frame and glyph";
  // The caption's teal background starts 36 pixels from the top.
  int firstTeal = -1;
  for (int y = 0; y < 40 && firstTeal < 0; ++y)
    for (int x = 0; x < 40; ++x)
      if (shot.pixel(x, y) == qRgb(0, 128, 128)) {
        firstTeal = y;
        break;
      }
  EXPECT_EQ(firstTeal, 36);
}

TEST(TransparentButton, FrameStylesDrawTheirEdges) {
  Desk desk;
  auto* b = new TTransparentButton(&desk);
  desk.show();
  // fsRegular, not pressed: highlight then black lines outside in, with a
  // transparent black frame from (1, 1).
  QImage shot = render(desk);
  EXPECT_EQ(shot.pixel(39, 39), qRgb(0, 0, 0)) << "bottom-right edge black";
  EXPECT_EQ(shot.pixel(0, 10), toQColor(clBtnHighlight).rgb()) << "left edge highlight";
  b->setFrameStyle(TFrameStyle::fsNone);
  shot = render(desk);
  EXPECT_EQ(shot.pixel(0, 10), qRgb(10, 20, 30)) << "fsNone draws no frame";
  EXPECT_EQ(shot.pixel(39, 39), qRgb(10, 20, 30));
  b->setFrameStyle(TFrameStyle::fsExplorer);
  shot = render(desk);
  EXPECT_EQ(shot.pixel(0, 10), qRgb(10, 20, 30)) << "explorer: no frame while the mouse is elsewhere";
  b->setFrameStyle(TFrameStyle::fsDark);
  shot = render(desk);
  EXPECT_EQ(shot.pixel(39, 20), toQColor(cl3DDkShadow).rgb());
  b->setTransparent(false);
  b->setFrameStyle(TFrameStyle::fsLight);
  shot = render(desk);
  EXPECT_EQ(shot.pixel(20, 20), toQColor(clBtnFace).rgb()) << "an opaque button fills its face";
}

TEST(TransparentButton, PressedButtonsDrawTheirPressedFrameAndShiftTheGlyph) {
  Desk desk;
  auto* b = new TTransparentButton(&desk);
  b->setFrameStyle(TFrameStyle::fsLight);
  b->setShowPressed(true);
  b->setGlyph(frame());
  desk.show();
  b->setDown(true);
  const QImage shot = render(desk);
  EXPECT_EQ(shot.pixel(0, 10), toQColor(clBtnShadow).rgb()) << "shadow on the top-left when pressed";
  EXPECT_EQ(shot.pixel(39, 10), toQColor(clBtnHighlight).rgb());
  // The glyph moved one pixel right and down: its red starts at (9, 7).
  EXPECT_EQ(shot.pixel(9, 7), qRgb(255, 0, 0));
  EXPECT_NE(shot.pixel(8, 6), qRgb(255, 0, 0));
}

TEST(TransparentButton, ADisabledButtonShowsItsEmbossedGlyphAndCaptionAndIgnoresTheMouse) {
  Desk desk;
  auto* b = new TTransparentButton(&desk);
  b->setFrameStyle(TFrameStyle::fsNone);
  b->resize(60, 70);
  b->setTextAlign(TTextAlign::ttaBottom);
  b->setGlyph(frame());
  b->setCaption("lllll");
  int downs = 0;
  QObject::connect(b, &TTransparentButton::OnMouseDown, [&] { ++downs; });
  desk.show();
  b->setEnabled(false);
  const QImage shot = render(desk);
  // The red square became the shadow colour (its top-left edge highlight
  // one pixel further in).
  // The glyph (32 wide, centred in 60: left 14) lost its red to the
  // shadow colour, its lower-right edge embossed in the highlight colour.
  EXPECT_EQ(shot.pixel(14 + 10, 2 + 10), toQColor(clBtnShadow).rgb());
  EXPECT_EQ(shot.pixel(14 + 28, 2 + 28), toQColor(clBtnHighlight).rgb())
      << "the embossed edge, right and down";
  bool shadowText = false;
  for (int y = 36; y < 70; ++y)
    for (int x = 0; x < 60; ++x) shadowText = shadowText || shot.pixel(x, y) == toQColor(clBtnShadow).rgb();
  EXPECT_TRUE(shadowText) << "the caption in the shadow colour";
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_EQ(downs, 0);
  EXPECT_FALSE(b->isDrawnDown());
}

TEST(TransparentButton, ADoubleClickIsOneDoubleClickAndNoSecondPress) {
  Desk desk;
  auto* b = new TTransparentButton(&desk);
  int downs = 0, ups = 0, doubles = 0, clicks = 0;
  QObject::connect(b, &TTransparentButton::OnMouseDown, [&] { ++downs; });
  QObject::connect(b, &TTransparentButton::OnMouseUp, [&] { ++ups; });
  QObject::connect(b, &TTransparentButton::OnDblClick, [&] { ++doubles; });
  QObject::connect(b, &TTransparentButton::OnClick, [&] { ++clicks; });
  desk.show();
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseDClick(b, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b->isDrawnDown());
}

TEST(TransparentButton, DraggingStopsShortOfTheParentsEdges) {
  Desk desk;  // 200 wide
  auto* b = new TTransparentButton(&desk);
  b->move(100, 50);
  desk.show();
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  QMouseEvent move(QEvent::MouseMove, QPointF(5 + 59, 5), b->mapToGlobal(QPointF(64, 5)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(b, &move);
  EXPECT_EQ(b->x(), 159) << "159 + 40 = 199 is inside the parent";
  QMouseEvent further(QEvent::MouseMove, QPointF(5 + 1, 5), b->mapToGlobal(QPointF(6, 5)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(b, &further);
  EXPECT_EQ(b->x(), 159) << "the right edge would reach the parent's: the button stays";
  EXPECT_FALSE(b->FitsInParent(-1, 0));
  EXPECT_TRUE(b->FitsInParent(0, 0));
  b->setMovable(false);
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
}

TEST(TransparentButton, AStreamWithoutDefaultsReadsBackIntoTheCreationValues) {
  TTransparentButton original;
  original.setObjectName("gl03S");
  original.setWordWrap(false);
  original.setFrameStyle(TFrameStyle::fsExplorer);
  original.setTextAlign(TTextAlign::ttaCenter);
  const orba::stream::Component c = writeComponent(original);
  for (const char* absent : {"WordWrap", "FrameStyle", "TextAlign", "AutoGray", "Spacing"})
    EXPECT_EQ(c.find(absent), nullptr) << absent << " holds its declared default";
  TTransparentButton fresh;
  readComponent(fresh, c);
  EXPECT_TRUE(fresh.wordWrap());
  EXPECT_EQ(fresh.frameStyle(), TFrameStyle::fsRegular);
  EXPECT_EQ(fresh.textAlign(), TTextAlign::ttaBottom);
  EXPECT_EQ(fresh.objectName(), "gl03S");
}

TEST(TransparentButton, WriteReadWriteIsByteIdentical) {
  TTransparentButton b;
  b.setObjectName("ClientBtn");
  b.setTag(1);
  b.setGeometry(8, 6, 88, 66);
  b.setCaption("Clients & Co");
  b.setBorderWidth(0);
  b.setGlyph(frame(Qt::blue));
  b.setParentFont(false);
  b.setStreamFont({"DEFAULT_CHARSET", clWhite, -13, "Arial", {"fsBold"}});
  b.setPopUpMenu(nullptr, "PopupMenu");
  b.setShowPressed(false);
  b.setSpacing(3);
  const std::string first = orba::stream::writeComponentStream(writeComponent(b));
  TTransparentButton copy;
  readComponent(copy, orba::stream::readComponentStream(first).component);
  EXPECT_EQ(orba::stream::writeComponentStream(writeComponent(copy)), first);
  EXPECT_EQ(copy.caption(), "Clients & Co");
  EXPECT_EQ(copy.streamFont().color, clWhite);
  EXPECT_EQ(copy.glyph().pixel(10, 10), qRgb(0, 0, 255));
  const std::string text = orba::stream::toText(writeComponent(copy));
  EXPECT_NE(text.find("Font.Color = clWhite\n"), std::string::npos) << text;
  EXPECT_NE(text.find("PopUpMenu = PopupMenu\n"), std::string::npos);
}

TEST(TransparentButton, BadStreamsAreErrorsThatNameClassPropertyAndOffset) {
  TTransparentButton b;
  b.setObjectName("x");
  b.setCaption("ok");
  orba::stream::Component c = writeComponent(b);
  c.set("Colour", orba::stream::Value::Ident("clRed"));
  const std::string bytes = orba::stream::writeComponentStream(c);
  const auto read = orba::stream::readComponentStream(bytes);
  ASSERT_TRUE(read.ok());
  try {
    readComponent(b, read.component);
    FAIL() << "an unknown property was applied";
  } catch (const StreamError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("TTransparentButton.Colour"), std::string::npos) << what;
    EXPECT_NE(what.find("(offset " +
                        std::to_string(bytes.find("\x06"
                                                  "Colour")) +
                        ")"),
              std::string::npos)
        << what;
  }
  orba::stream::Component wrong = writeComponent(b);
  wrong.set("Spacing", orba::stream::Value::String("wide"));
  EXPECT_THROW(readComponent(b, wrong), StreamError);
  orba::stream::Component badEnum = writeComponent(b);
  badEnum.set("FrameStyle", orba::stream::Value::Ident("fsRound"));
  EXPECT_THROW(readComponent(b, badEnum), StreamError);
  // A caption the stream's code page cannot hold is refused, not changed.
  b.setCaption("Клиенты");
  EXPECT_THROW(writeComponent(b), StreamError);
}

TEST(TransparentButton, EveryCutOrFlippedByteIsAnErrorOrAStreamThatApplies) {
  TTransparentButton b;
  b.setObjectName("ClientBtn");
  b.setCaption("Clients");
  b.setGlyph(QImage(8, 8, QImage::Format_RGB32));
  const std::string bytes = orba::stream::writeComponentStream(writeComponent(b));
  for (size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_FALSE(orba::stream::readComponentStream(std::string_view(bytes).substr(0, n)).ok())
        << "cut at " << n;
    std::string flipped = bytes;
    flipped[n] = static_cast<char>(flipped[n] ^ 0x5A);
    const auto r = orba::stream::readComponentStream(flipped);
    if (!r.ok()) continue;
    TTransparentButton target;
    try {
      readComponent(target, r.component);
    } catch (const StreamError&) {
      // an error naming what is wrong is the expected end
    }
  }
}
