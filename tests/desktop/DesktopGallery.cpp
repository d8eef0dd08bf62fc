// Shows the desktop's components in windows of their own, for a person or a
// screenshot to look at under a real X server (scripts/screenshots.sh):
//
//   desktop_gallery buttons [TILE]   the seven frame styles, each enabled,
//                                    disabled and pressed, over a wallpaper
//                                    tiled with TILE (a bitmap or JPEG)
//   desktop_gallery grid DATA_DIR    a list panel's grid over DATA_DIR/cli.DB
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <cstdio>

#include "DBGrid.h"
#include "DataSource.h"
#include "Table.h"
#include "TableSchemas.h"
#include "TransparentButton.h"
#include "Wallpaper.h"

using namespace orba::desktop;

namespace {

// A ledger book on a magenta background (the bottom-left pixel, which the
// button leaves transparent).
QImage ledgerGlyph() {
  QImage image(32, 32, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 255));
  QPainter p(&image);
  p.setPen(Qt::black);
  p.setBrush(QColor(0, 0, 128));
  p.drawRect(6, 3, 20, 26);
  p.setBrush(Qt::white);
  p.drawRect(9, 6, 14, 20);
  for (int y = 10; y < 26; y += 4) p.drawLine(11, y, 21, y);
  p.fillRect(6, 3, 3, 27, QColor(128, 0, 0));
  return image;
}

int showButtons(const char* tile) {
  constexpr const char* kStyles[] = {"fsRegular", "fsIndent", "fsExplorer", "fsNone",
                                     "fsLight",   "fsDark",   "fsMono"};
  constexpr const char* kStates[] = {"enabled", "disabled", "pressed"};
  constexpr int kLeft = 100, kTop = 30, kWidth = 88, kHeight = 66, kPitchX = 100, kPitchY = 74;

  auto* wallpaper = new TWallpaper;
  wallpaper->setWindowTitle(QStringLiteral("Transparent buttons"));
  wallpaper->resize(kLeft + 3 * kPitchX + 10, kTop + 7 * kPitchY + 6);
  if (tile && !wallpaper->loadFromFile(QString::fromLocal8Bit(tile))) {
    std::fprintf(stderr, "desktop_gallery: %s is neither a bitmap nor a JPEG image\n", tile);
    return 1;
  }
  auto label = [&](const QString& text, QRect at) {
    auto* l = new QLabel(text, wallpaper);
    l->setAutoFillBackground(true);
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(at);
  };
  for (int c = 0; c < 3; ++c)
    label(QString::fromLatin1(kStates[c]), QRect(kLeft + c * kPitchX, 6, kWidth, 18));
  for (int r = 0; r < 7; ++r) {
    label(QString::fromLatin1(kStyles[r]), QRect(6, kTop + r * kPitchY + 24, 86, 18));
    for (int c = 0; c < 3; ++c) {
      auto* button = new TTransparentButton(wallpaper);
      button->setGeometry(kLeft + c * kPitchX, kTop + r * kPitchY, kWidth, kHeight);
      button->setGlyph(ledgerGlyph());
      button->setCaption(QStringLiteral("&Clients"));
      button->setFrameStyle(static_cast<TFrameStyle>(r));
      button->setShowPressed(true);
      button->setEnabled(c != 1);
      button->setDown(c == 2);
    }
  }
  wallpaper->show();
  return qApp->exec();
}

int showGrid(const char* dataDir) {
  orba::data::Table table(QStringLiteral("Ar_Table"));
  table.declare(orba::data::schemas::Ar_Table);
  table.setDatabaseName(QString::fromLocal8Bit(dataDir));
  try {
    table.open();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "desktop_gallery: %s\n", e.what());
    return 1;
  }
  orba::data::DataSource source(QStringLiteral("Ar_DataSource"), &table);
  TTamberlyDBGrid grid;
  grid.setWindowTitle(QStringLiteral("Clients"));
  grid.setOptions({"dgTitles", "dgColumnResize", "dgColLines", "dgRowLines", "dgTabs", "dgRowSelect",
                   "dgAlwaysShowSelection", "dgConfirmDelete", "dgCancelOnExit"});
  grid.setColumns({{QStringLiteral("Cli_code"), QStringLiteral("Code"), 70},
                   {QStringLiteral("Cli_name"), QStringLiteral("Name"), 200},
                   {QStringLiteral("Cli_city"), QStringLiteral("City"), 110},
                   {QStringLiteral("Cli_tel"), QStringLiteral("Telephone"), 120},
                   {QStringLiteral("Cli_current_bal"), QStringLiteral("Balance"), 80}});
  grid.setDataSource(&source, QStringLiteral("Ar_DataModule.Ar_DataSource"));
  grid.resize(620, 320);
  grid.show();
  return qApp->exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  if (what == QLatin1String("buttons") && argc <= 3) return showButtons(argc == 3 ? argv[2] : nullptr);
  if (what == QLatin1String("grid") && argc == 3) return showGrid(argv[2]);
  std::fprintf(stderr, "usage: desktop_gallery buttons [TILE] | grid DATA_DIR\n");
  return 2;
}
