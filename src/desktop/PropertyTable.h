#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "stream/ComponentStream.h"

namespace orba::desktop {

// An error applying a component stream to a desktop component, or writing
// one: the class, the property and, for a stream that was read, the offset
// of the entry.
class StreamError : public std::runtime_error {
 public:
  StreamError(const std::string& className, const std::string& property, size_t offset,
              const std::string& fault)
      : std::runtime_error(className + (property.empty() ? "" : "." + property) +
                           (offset ? " (offset " + std::to_string(offset) + ")" : std::string()) + ": " +
                           fault) {}
};

// The published properties of one desktop class, in their declared order:
// how each is read from an object, applied back, and when it is written.
//
// Writing lists the entries in table order, each only where it differs
// from its declared default (a text or picture only when it is not empty,
// one without a default always, one with a `stored` rule only when the rule
// says so). Reading applies each entry by its name onto an existing object
// and leaves the properties it does not name as they were; an entry the
// class does not have, or a value of the wrong type, is an error naming the
// class, the property and the entry's offset, and leaves the object as it
// was.
template <typename T>
class PropertyTable {
 public:
  struct Property {
    std::string name;  // "Left", "Font.Name", "Glyph.Data"
    std::function<stream::Value(const T&)> get;
    // Applies a value; returns false, with the reason, when it does not fit.
    std::function<bool(T&, const stream::Value&, std::string*)> set;
    std::optional<stream::Value> declaredDefault;
    // Written only when this says so (Font entries: when the font is the
    // component's own). Empty: always, defaults aside.
    std::function<bool(const T&)> stored;
    bool skipEmpty = false;  // texts and pictures: written only when not empty
  };

  PropertyTable(std::string className, std::vector<Property> properties)
      : className_(std::move(className)), properties_(std::move(properties)) {}

  const std::string& className() const { return className_; }
  const std::vector<Property>& properties() const { return properties_; }

  stream::Component write(const T& object, const std::string& name) const {
    stream::Component c;
    c.className = className_;
    c.name = name;
    for (const Property& p : properties_) {
      if (p.stored && !p.stored(object)) continue;
      stream::Value v = p.get(object);
      if (p.declaredDefault && v == *p.declaredDefault) continue;
      if (p.skipEmpty && isEmpty(v)) continue;
      c.properties.push_back({p.name, std::move(v), 0});
    }
    return c;
  }

  // All or nothing: a stream with an entry that cannot be applied leaves the
  // object as it was before the read.
  void read(T& object, const stream::Component& c) const {
    if (c.className != className_)
      throw StreamError(className_, "", 0, "the stream holds a " + c.className + ", not a " + className_);
    for (const stream::Property& entry : c.properties)
      if (!find(entry.name))
        throw StreamError(className_, entry.name, entry.offset, "the class has no such property");
    std::vector<std::pair<const Property*, stream::Value>> before;
    for (const Property& p : properties_) {
      try {
        before.emplace_back(&p, p.get(object));
      } catch (const StreamError&) {
        // A value the stream cannot express (a caption outside the code
        // page) cannot be put back either; the stream may still replace it.
      }
    }
    for (const stream::Property& entry : c.properties) {
      const Property* p = find(entry.name);
      std::string why;
      if (!p->set(object, entry.value, &why)) {
        for (const auto& [property, value] : before) {
          std::string ignored;
          property->set(object, value, &ignored);
        }
        throw StreamError(className_, entry.name, entry.offset,
                          why.empty() ? "a value of the wrong type" : why);
      }
    }
  }

 private:
  static bool isEmpty(const stream::Value& v) {
    return (v.isString() || v.type == stream::ValueType::kBinary) && v.text.empty() && v.wide.empty();
  }
  const Property* find(const std::string& name) const {
    for (const Property& p : properties_)
      if (p.name == name) return &p;
    return nullptr;
  }

  std::string className_;
  std::vector<Property> properties_;
};

}  // namespace orba::desktop
