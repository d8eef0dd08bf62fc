// The demo users' first desktop rows. The desktop never creates the six panel
// icons itself, it only restores them, so a new installation would show none;
// the demo gives each user the six, as a saved desktop would hold them.
//
// Layout, for the 750 x 520 main window: one column down the left edge of the
// wallpaper, 8 pixels in, each icon 88 x 66 (a 32-pixel glyph, the spacing
// and a caption line in 10-point Arial, with room to wrap "Fournisseurs")
// and 72 pixels apart from Top 6, so the sixth ends at 432 and stays inside
// the client area left under the menu bar and above the status bar.

#include <QBuffer>
#include <QImage>

#include "DemoPictures.h"
#include "DemoTables.h"
#include "stream/ComponentStream.h"

namespace orba::demo {

namespace {

namespace st = orba::stream;

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

constexpr PanelIcon kPanelIcons[kPanelIconCount] = {
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
std::string iconStream(int i, bool french) {
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

}  // namespace

std::vector<Row> desktopRows(const TableShape& shape) {
  std::vector<Row> rows;
  for (const DemoUser& user : demoUsers()) {
    for (int i = 0; i < kPanelIconCount; ++i) {
      rows.emplace_back(shape)
          .text("Desktop_user", std::string(user.code))
          .integer("Desktop_Component_type", 1)
          // The position among the window's components when saved; the
          // restore does not read it, and the icons come in this order.
          .integer("Desktop_ComponentIndex", i)
          .set("Desktop_Component", pdx::Value::Blob(iconStream(i, user.language == kFrench)));
    }
  }
  return rows;
}

}  // namespace orba::demo
