#pragma once

#include "PropertyTable.h"
#include "stream/ComponentStream.h"

namespace orba::desktop {

class TListPanel;
class TTamberlyDBGrid;
class TToDoText;
class TTransparentButton;
class TWallpaper;

// The component stream of each desktop class: its published properties in
// declared order with their declared defaults (docs/component-stream.md
// lists them). write() gives the stream of a component under its name;
// read() applies a stream to an existing component (which takes the stored
// name) and throws StreamError for an entry it cannot apply.
const PropertyTable<TTransparentButton>& transparentButtonProperties();
stream::Component writeComponent(const TTransparentButton& button);
void readComponent(TTransparentButton& button, const stream::Component& c);

const PropertyTable<TWallpaper>& wallpaperProperties();
stream::Component writeComponent(const TWallpaper& wallpaper);
void readComponent(TWallpaper& wallpaper, const stream::Component& c);

const PropertyTable<TListPanel>& listPanelProperties();
stream::Component writeComponent(const TListPanel& panel);
void readComponent(TListPanel& panel, const stream::Component& c);

const PropertyTable<TTamberlyDBGrid>& dbGridProperties();
stream::Component writeComponent(const TTamberlyDBGrid& grid);
void readComponent(TTamberlyDBGrid& grid, const stream::Component& c);

const PropertyTable<TToDoText>& toDoTextProperties();
stream::Component writeComponent(const TToDoText& text);
void readComponent(TToDoText& text, const stream::Component& c);

}  // namespace orba::desktop
