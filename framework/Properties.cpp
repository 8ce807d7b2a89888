#include "framework/Properties.h"

#include "framework/Component.h"
#include "framework/Controls.h"
#include "framework/Strings.h"
#include "framework/UpDown.h"

namespace {
void RegisterFramework(TPropertyTable& table) {
  table.Register<TComponent>({StringProperty<TComponent>(
      "Name", [](TComponent& c) { return c.Name(); },
      [](TComponent& c, const std::string& v) { c.SetName(v); })});
  table.Register<TControl>({
      OrdinalProperty<TControl>(
          "Left", [](TControl& c) { return c.Left(); }, [](TControl& c, int v) { c.SetLeft(v); }),
      OrdinalProperty<TControl>(
          "Top", [](TControl& c) { return c.Top(); }, [](TControl& c, int v) { c.SetTop(v); }),
      OrdinalProperty<TControl>(
          "Width", [](TControl& c) { return c.Width(); },
          [](TControl& c, int v) { c.SetWidth(v); }),
      OrdinalProperty<TControl>(
          "Height", [](TControl& c) { return c.Height(); },
          [](TControl& c, int v) { c.SetHeight(v); }),
      OrdinalProperty<TControl>(
          "Enabled", [](TControl& c) { return c.Enabled(); },
          [](TControl& c, bool v) { c.SetEnabled(v); }),
  });
  table.Register<TWinControl>({StringProperty<TWinControl>(
      "Caption", [](TWinControl& c) { return c.Caption(); },
      [](TWinControl& c, const std::string& v) { c.SetCaption(v); })});
  // Position is a 16-bit signed integer: a stored value reaches the control truncated to
  // its low 16 bits, and the control clamps it into Min..Max itself.
  table.Register<TUpDown>({
      OrdinalProperty<TUpDown>(
          "Min", [](TUpDown& c) { return c.Min(); },
          [](TUpDown& c, std::int16_t v) { c.SetMin(v); }, "SmallInt"),
      OrdinalProperty<TUpDown>(
          "Max", [](TUpDown& c) { return c.Max(); },
          [](TUpDown& c, std::int16_t v) { c.SetMax(v); }, "SmallInt"),
      OrdinalProperty<TUpDown>(
          "Position", [](TUpDown& c) { return c.Position(); },
          [](TUpDown& c, std::int16_t v) { c.SetPosition(v); }, "SmallInt"),
  });
}
}  // namespace

TPropertyTable& TPropertyTable::Instance() {
  // Made at the first use, on the program's one thread: a plain check serves, and the
  // runtime's guard for statics made at run time is not linked.
  static TPropertyTable* table = nullptr;
  if (!table) {
    table = new TPropertyTable;
    RegisterFramework(*table);
  }
  return *table;
}

void TPropertyTable::AddClass(bool (*matches)(TObject&), std::vector<TPropInfo> properties) {
  FClasses.push_back({matches, std::move(properties)});
}

void TPropertyTable::RegisterIdents(const std::string& typeName,
                                    std::vector<TIdentMapEntry> idents) {
  for (auto& entry : FIdents)
    if (SameText(entry.first, typeName)) {
      entry.second = std::move(idents);
      return;
    }
  FIdents.emplace_back(typeName, std::move(idents));
}

std::vector<const TPropInfo*> TPropertyTable::PropList(TObject& object) const {
  std::vector<const TPropInfo*> list;
  for (const auto& entry : FClasses) {
    if (!entry.Matches(object)) continue;
    for (const auto& info : entry.Properties) {
      bool known = false;
      for (const TPropInfo* seen : list) known = known || SameText(seen->Name, info.Name);
      if (!known) list.push_back(&info);
    }
  }
  return list;
}

const TPropInfo* TPropertyTable::PropInfo(TObject& object, std::string_view name) const {
  for (const auto& entry : FClasses) {
    if (!entry.Matches(object)) continue;
    for (const auto& info : entry.Properties)
      if (SameText(info.Name, name)) return &info;
  }
  return nullptr;
}

const std::vector<TIdentMapEntry>* TPropertyTable::Idents(std::string_view typeName) const {
  if (typeName.empty()) return nullptr;
  for (const auto& entry : FIdents)
    if (SameText(entry.first, typeName)) return &entry.second;
  return nullptr;
}

std::vector<const TPropInfo*> GetPropList(TObject& object) {
  return TPropertyTable::Instance().PropList(object);
}

const TPropInfo* GetPropInfo(TObject& object, std::string_view name) {
  return TPropertyTable::Instance().PropInfo(object, name);
}
