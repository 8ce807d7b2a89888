#pragma once
// Published properties: per component class, the properties a settings store may read and
// write by name, with their kind, ordinal size, getter and setter. Lookup ignores case, and
// a class sees the properties registered for every class it derives from, base classes first.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/Events.h"

enum class TTypeKind {
  tkUnknown,
  tkInteger,
  tkChar,
  tkEnumeration,
  tkFloat,
  tkString,
  tkSet,
  tkClass,
  tkMethod,
  tkWChar,
  tkLString,
  tkWString,
  tkVariant,
  tkInt64
};

struct TPropInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::tkUnknown;
  // Ordinal kinds: bytes of the value (1, 2, 4; 8 for tkInt64) and whether it is signed.
  int OrdSize = 4;
  bool Signed = true;
  // The property's type; names an identifier mapping for typed integers ("TColor").
  std::string TypeName;
  // Enumerations: the value names by ordinal.
  std::vector<std::string> EnumNames;

  // Ordinal kinds; the getter extends the value to 64 bits by its signedness.
  std::function<std::int64_t(TObject&)> GetOrd;
  std::function<void(TObject&, std::int64_t)> SetOrd;
  std::function<long double(TObject&)> GetFloat;
  std::function<void(TObject&, long double)> SetFloat;
  std::function<std::string(TObject&)> GetStr;
  std::function<void(TObject&, const std::string&)> SetStr;
  std::function<TObject*(TObject&)> GetObject;
};

// Identifier mapping of an integer type: values that have a name ("clLime" = 0x0000FF00).
struct TIdentMapEntry {
  std::int64_t Value;
  std::string Name;
};

class TPropertyTable {
 public:
  // The table of this program, with the framework's classes already registered.
  static TPropertyTable& Instance();

  // Adds properties for class C (matched with dynamic_cast, so derived classes see them).
  template <class C>
  void Register(std::vector<TPropInfo> properties) {
    AddClass([](TObject& object) { return dynamic_cast<C*>(&object) != nullptr; },
             std::move(properties));
  }
  void RegisterIdents(const std::string& typeName, std::vector<TIdentMapEntry> idents);

  // Every published property of the object, base classes first; a name appears once.
  std::vector<const TPropInfo*> PropList(TObject& object) const;
  const TPropInfo* PropInfo(TObject& object, std::string_view name) const;
  // The mapping of a type; null when the type has none.
  const std::vector<TIdentMapEntry>* Idents(std::string_view typeName) const;

 private:
  struct TClassEntry {
    std::function<bool(TObject&)> Matches;
    std::vector<TPropInfo> Properties;
  };
  void AddClass(std::function<bool(TObject&)> matches, std::vector<TPropInfo> properties);

  std::vector<TClassEntry> FClasses;
  std::vector<std::pair<std::string, std::vector<TIdentMapEntry>>> FIdents;
};

std::vector<const TPropInfo*> GetPropList(TObject& object);
const TPropInfo* GetPropInfo(TObject& object, std::string_view name);

// ---- describing properties ------------------------------------------------------
// Getters and setters are callables on the class: [](TUpDown& c) { return c.Position(); }.

// An integer, character or Boolean property; its size and signedness come from the getter's
// type. Booleans become enumerations with the names False and True.
template <class C, class G, class S>
TPropInfo OrdinalProperty(std::string name, G get, S set, std::string typeName = {}) {
  using V = std::decay_t<std::invoke_result_t<G, C&>>;
  static_assert(std::is_integral_v<V> || std::is_enum_v<V>, "ordinal property expected");
  using U = std::conditional_t<std::is_enum_v<V>, std::underlying_type<V>, std::type_identity<V>>;
  using R = typename U::type;
  TPropInfo info;
  info.Name = std::move(name);
  info.OrdSize = static_cast<int>(sizeof(V));
  info.Signed = std::is_signed_v<R>;
  if constexpr (std::is_same_v<V, bool>) {
    info.Kind = TTypeKind::tkEnumeration;
    info.TypeName = "Boolean";
    info.EnumNames = {"False", "True"};
  } else if constexpr (std::is_same_v<V, char>) {
    info.Kind = TTypeKind::tkChar;
  } else if constexpr (std::is_same_v<V, char16_t> || std::is_same_v<V, wchar_t>) {
    info.Kind = TTypeKind::tkWChar;
  } else if constexpr (sizeof(V) == 8) {
    info.Kind = TTypeKind::tkInt64;
  } else {
    info.Kind = std::is_enum_v<V> ? TTypeKind::tkEnumeration : TTypeKind::tkInteger;
  }
  if (!typeName.empty()) info.TypeName = std::move(typeName);
  info.GetOrd = [get](TObject& o) {
    return static_cast<std::int64_t>(static_cast<R>(get(static_cast<C&>(o))));
  };
  info.SetOrd = [set](TObject& o, std::int64_t v) {
    set(static_cast<C&>(o), static_cast<V>(static_cast<R>(v)));
  };
  return info;
}

// An enumeration property stored by its value names.
template <class C, class G, class S>
TPropInfo EnumProperty(std::string name, G get, S set, std::vector<std::string> names,
                       std::string typeName = {}) {
  TPropInfo info = OrdinalProperty<C>(std::move(name), get, set, std::move(typeName));
  info.Kind = TTypeKind::tkEnumeration;
  info.EnumNames = std::move(names);
  return info;
}

template <class C, class G, class S>
TPropInfo FloatProperty(std::string name, G get, S set) {
  TPropInfo info;
  info.Name = std::move(name);
  info.Kind = TTypeKind::tkFloat;
  info.GetFloat = [get](TObject& o) { return static_cast<long double>(get(static_cast<C&>(o))); };
  info.SetFloat = [set](TObject& o, long double v) {
    using V = std::decay_t<std::invoke_result_t<G, C&>>;
    set(static_cast<C&>(o), static_cast<V>(v));
  };
  return info;
}

template <class C, class G, class S>
TPropInfo StringProperty(std::string name, G get, S set) {
  TPropInfo info;
  info.Name = std::move(name);
  info.Kind = TTypeKind::tkLString;
  info.GetStr = [get](TObject& o) { return std::string(get(static_cast<C&>(o))); };
  info.SetStr = [set](TObject& o, const std::string& v) { set(static_cast<C&>(o), v); };
  return info;
}

// A published sub-object (options, fonts); read-only: the object itself is not replaced.
template <class C, class G>
TPropInfo ClassProperty(std::string name, G get, std::string typeName = {}) {
  TPropInfo info;
  info.Name = std::move(name);
  info.Kind = TTypeKind::tkClass;
  info.TypeName = std::move(typeName);
  info.GetObject = [get](TObject& o) -> TObject* { return get(static_cast<C&>(o)); };
  return info;
}
