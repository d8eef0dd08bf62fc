#include "StandardIcons.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>

#include "stream/ComponentStream.h"

namespace orba::desktop {

namespace {

void person(QPainter& p, const QColor& colour, int dx) {
  p.setBrush(colour);
  p.drawEllipse(QPoint(16 + dx, 10), 6, 6);
  p.drawPie(QRect(5 + dx, 17, 22, 24), 0, 180 * 16);
}

}  // namespace

QImage panelIconGlyph(int which) {
  constexpr int size = 32;
  QImage icon(size, size, QImage::Format_RGB32);
  // Magenta never appears in the drawings, so only the background drops out;
  // without antialiasing no edge pixel is a blend with it.
  icon.fill(QColor(255, 0, 255));
  QPainter p(&icon);
  p.setPen(QPen(Qt::black, 1));
  switch (which) {
    case 0:  // clients: two people
      person(p, QColor(0x9a, 0xb8, 0xe0), 5);
      person(p, QColor(0x1f, 0x5f, 0xbf), -3);
      break;
    case 1:  // suppliers: a delivery truck
      p.setBrush(QColor(0xe0, 0x80, 0x20));
      p.drawRect(2, 8, 18, 14);
      p.setBrush(QColor(0xc0, 0x30, 0x20));
      p.drawRect(20, 12, 9, 10);
      p.setBrush(QColor(0xd0, 0xf0, 0xff));
      p.drawRect(23, 14, 4, 4);
      p.setBrush(QColor(0x30, 0x30, 0x30));
      p.drawEllipse(QPoint(8, 24), 3, 3);
      p.drawEllipse(QPoint(24, 24), 3, 3);
      break;
    case 2:  // accounts: a ledger with ruled columns
      p.setBrush(QColor(0x20, 0x80, 0x40));
      p.drawRect(4, 3, 24, 26);
      p.setBrush(Qt::white);
      p.drawRect(7, 6, 18, 20);
      p.setPen(QColor(0x20, 0x80, 0x40));
      for (int y = 10; y < 26; y += 4) p.drawLine(8, y, 24, y);
      p.drawLine(18, 7, 18, 25);
      break;
    case 3:  // employees: one person with a badge
      person(p, QColor(0x80, 0x20, 0x30), 0);
      p.setBrush(QColor(0xff, 0xd0, 0x30));
      p.drawRect(18, 21, 5, 4);
      break;
    case 4: {  // products: a carton seen from above a corner
      p.setBrush(QColor(0xc8, 0x96, 0x5a));
      const QPoint front[] = {{4, 12}, {18, 16}, {18, 29}, {4, 25}};
      p.drawPolygon(front, 4);
      p.setBrush(QColor(0xa0, 0x70, 0x40));
      const QPoint side[] = {{18, 16}, {28, 11}, {28, 24}, {18, 29}};
      p.drawPolygon(side, 4);
      p.setBrush(QColor(0xe0, 0xb8, 0x80));
      const QPoint top[] = {{4, 12}, {14, 7}, {28, 11}, {18, 16}};
      p.drawPolygon(top, 4);
      break;
    }
    default: {  // to-do list: a clipboard with ticks
      p.setBrush(QColor(0x8b, 0x5a, 0x2b));
      p.drawRect(5, 3, 22, 27);
      p.setBrush(Qt::white);
      p.drawRect(8, 7, 16, 20);
      p.setBrush(QColor(0x90, 0x90, 0x90));
      p.drawRect(12, 1, 8, 4);
      p.setPen(QPen(QColor(0x00, 0x90, 0x00), 2));
      for (int y = 11; y < 26; y += 6) {
        p.drawLine(10, y, 12, y + 2);
        p.drawLine(12, y + 2, 15, y - 2);
      }
      p.setPen(Qt::black);
      for (int y = 11; y < 26; y += 6) p.drawLine(17, y, 22, y);
      break;
    }
  }
  return icon;
}

namespace {

namespace st = orba::stream;

// Layout, for the 750 x 520 main window: one column down the left edge of the
// wallpaper, 8 pixels in, each icon 88 x 66 (a 32-pixel glyph, the spacing
// and a caption line in 10-point Arial, with room to wrap "Fournisseurs")
// and 72 pixels apart from Top 6, so the sixth ends at 432 and stays inside
// the client area left under the menu bar and above the status bar.
constexpr int kIconLeft = 8;
constexpr int kIconTop = 6;
constexpr int kIconPitch = 72;
constexpr int kIconWidth = 88;
constexpr int kIconHeight = 66;

struct PanelIcon {
  const char* name;
  const char* english;
  const char* french;
};

constexpr PanelIcon kPanelIcons[kStandardIconCount] = {
    {"ClientBtn", "Clients", "Clients"},    {"SupplierBtn", "Suppliers", "Fournisseurs"},
    {"AccountsBtn", "Accounts", "Comptes"}, {"EmployeeBtn", "Employees", "Employés"},
    {"ProductBtn", "Products", "Produits"}, {"ToDoListBtn", "To do", "À faire"},
};

// A bitmap's stored data: its size, then the bitmap file.
std::string glyphData(const QImage& image) {
  QByteArray file;
  QBuffer buffer(&file);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  std::string data;
  const auto n = static_cast<uint32_t>(file.size());
  for (int i = 0; i < 4; ++i) data += static_cast<char>(n >> (8 * i));
  data.append(file.constData(), static_cast<size_t>(file.size()));
  return data;
}

// The properties in the order the icon writes them, each only where it
// differs from its declared default. FrameStyle, ShowPressed, TextAlign and
// WordWrap hold the values a new button is created with, which are not the
// declared defaults, so a saved icon carries them.
}  // namespace

std::string standardIconStream(int i, bool french) {
  const PanelIcon& icon = kPanelIcons[i];
  st::Component c;
  c.className = "TTransparentButton";
  c.name = icon.name;
  c.set("Tag", st::Value::Integer(1))
      .set("Left", st::Value::Integer(kIconLeft))
      .set("Top", st::Value::Integer(kIconTop + kIconPitch * i))
      .set("Width", st::Value::Integer(kIconWidth))
      .set("Height", st::Value::Integer(kIconHeight))
      .set("BorderWidth", st::Value::Integer(0))
      .set("Caption", st::Value::String(st::utf8ToWindows1252(french ? icon.french : icon.english)))
      // Arial 10 pt white: the height is in pixels at 96 dots per inch,
      // negative for a character height.
      .set("Font.Charset", st::Value::Ident("DEFAULT_CHARSET"))
      .set("Font.Color", st::Value::Ident("clWhite"))
      .set("Font.Height", st::Value::Integer(-13))
      .set("Font.Name", st::Value::String("Arial"))
      .set("Font.Style", st::Value::Set({}))
      .set("FrameStyle", st::Value::Ident("fsRegular"))
      .set("Glyph.Data", st::Value::Binary(glyphData(panelIconGlyph(i))))
      .set("ParentFont", st::Value::Boolean(false))
      .set("PopUpMenu", st::Value::Ident("PopupMenu"))
      .set("ShowPressed", st::Value::Boolean(false))
      .set("TextAlign", st::Value::Ident("ttaBottom"))
      .set("WordWrap", st::Value::Boolean(true))
      .set("Movable", st::Value::Boolean(true));
  return st::writeComponentStream(c);
}

QString standardIconName(int i) { return QString::fromLatin1(kPanelIcons[i].name); }

QString standardIconCaption(int i, bool french) {
  return QString::fromUtf8(french ? kPanelIcons[i].french : kPanelIcons[i].english);
}

}  // namespace orba::desktop
