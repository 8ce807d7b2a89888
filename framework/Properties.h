#pragma once
// Published properties: per component class, the properties a settings store may read and
// write by name, with their kind, ordinal size, getter and setter. Lookup ignores case, and
// a class sees the properties registered for every class it derives from, base classes first.
#include <cstdint>
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

  // The accessors its kind has; the others are null. Ordinal kinds: the getter extends the
  // value to 64 bits by its signedness.
  std::int64_t (*GetOrd)(TObject&) = nullptr;
  void (*SetOrd)(TObject&, std::int64_t) = nullptr;
  long double (*GetFloat)(TObject&) = nullptr;
  void (*SetFloat)(TObject&, long double) = nullptr;
  std::string (*GetStr)(TObject&) = nullptr;
  void (*SetStr)(TObject&, const std::string&) = nullptr;
  TObject* (*GetObject)(TObject&) = nullptr;
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
    bool (*Matches)(TObject&);
    std::vector<TPropInfo> Properties;
  };
  void AddClass(bool (*matches)(TObject&), std::vector<TPropInfo> properties);

  std::vector<TClassEntry> FClasses;
  std::vector<std::pair<std::string, std::vector<TIdentMapEntry>>> FIdents;
};

std::vector<const TPropInfo*> GetPropList(TObject& object);
const TPropInfo* GetPropInfo(TObject& object, std::string_view name);

// ---- describing properties ------------------------------------------------------
// Getters and setters are lambdas without captures on the class:
// [](TUpDown& c) { return c.Position(); }. Each property's accessors are plain functions made
// from them, which the table holds as pointers.
template <class F>
inline constexpr bool kAccessor =
    std::conjunction_v<std::is_empty<F>, std::is_default_constructible<F>>;

// An integer, character or Boolean property; its size and signedness come from the getter's
// type. Booleans become enumerations with the names False and True.
template <class C, class G, class S>
TPropInfo OrdinalProperty(std::string name, G get, S set, std::string typeName = {}) {
  using V = std::decay_t<std::invoke_result_t<G, C&>>;
  static_assert(std::is_integral_v<V> || std::is_enum_v<V>, "ordinal property expected");
  static_assert(kAccessor<G> && kAccessor<S>, "accessors without captures expected");
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
  info.GetOrd = [](TObject& o) {
    return static_cast<std::int64_t>(static_cast<R>(G{}(static_cast<C&>(o))));
  };
  info.SetOrd = [](TObject& o, std::int64_t v) {
    S{}(static_cast<C&>(o), static_cast<V>(static_cast<R>(v)));
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
  static_assert(kAccessor<G> && kAccessor<S>, "accessors without captures expected");
  info.GetFloat = [](TObject& o) { return static_cast<long double>(G{}(static_cast<C&>(o))); };
  info.SetFloat = [](TObject& o, long double v) {
    using V = std::decay_t<std::invoke_result_t<G, C&>>;
    S{}(static_cast<C&>(o), static_cast<V>(v));
  };
  return info;
}

template <class C, class G, class S>
TPropInfo StringProperty(std::string name, G get, S set) {
  TPropInfo info;
  info.Name = std::move(name);
  info.Kind = TTypeKind::tkLString;
  static_assert(kAccessor<G> && kAccessor<S>, "accessors without captures expected");
  info.GetStr = [](TObject& o) { return std::string(G{}(static_cast<C&>(o))); };
  info.SetStr = [](TObject& o, const std::string& v) { S{}(static_cast<C&>(o), v); };
  return info;
}

// A published sub-object (options, fonts); read-only: the object itself is not replaced.
template <class C, class G>
TPropInfo ClassProperty(std::string name, G get, std::string typeName = {}) {
  TPropInfo info;
  info.Name = std::move(name);
  info.Kind = TTypeKind::tkClass;
  info.TypeName = std::move(typeName);
  static_assert(kAccessor<G>, "an accessor without captures expected");
  info.GetObject = [](TObject& o) -> TObject* { return G{}(static_cast<C&>(o)); };
  return info;
}
