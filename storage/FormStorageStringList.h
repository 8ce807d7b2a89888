#pragma once
// The stored-properties list: "Component.Property" lines, each with the component it is
// bound to (null until bound).
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

class TComponent;

class TFormStorageStringList {
 public:
  std::size_t Count() const { return FItems.size(); }
  const std::string& Strings(std::size_t index) const { return FItems.at(index).first; }
  void SetStrings(std::size_t index, std::string value) {
    FItems.at(index).first = std::move(value);
  }
  TComponent* Objects(std::size_t index) const { return FItems.at(index).second; }
  void SetObjects(std::size_t index, TComponent* value) { FItems.at(index).second = value; }
  void Add(std::string line, TComponent* object = nullptr) {
    FItems.emplace_back(std::move(line), object);
  }
  void Delete(std::size_t index) {
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(index));
  }
  void Clear() { FItems.clear(); }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const auto& item : FItems) lines.push_back(item.first);
    return lines;
  }

 private:
  std::vector<std::pair<std::string, TComponent*>> FItems;
};
