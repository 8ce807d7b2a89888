#include "storage/AppStorage.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "framework/Strings.h"
#include "storage/StorageText.h"

namespace {
constexpr char kApplNameMacro[] = "%APPL_NAME%";
constexpr char kCompanyNameMacro[] = "%COMPANY_NAME%";
constexpr char kNoneRoot[] = "%NONE%";
constexpr char kOldDefaultRoot[] = "Software\\%COMPANY_NAME%\\%APPL_NAME%";
constexpr char kDefaultRootNotice[] =
    "The Default Root Value \"%0:s\" has been replaced with \"%1:s\".\r\n"
    "Please change the value in the FileVersionInfo Project Properties.";
constexpr std::uint32_t kIconInformation = 0x00000040;  // MB_ICONINFORMATION
// A product or company name that itself holds a macro would otherwise expand forever.
constexpr int kMaxRootExpansions = 16;

// Keeps the low `size` bytes of a value and extends them back by the type's signedness.
std::int64_t FitOrdinal(std::int64_t value, int size, bool isSigned) {
  if (size >= 8) return value;
  int bits = size * 8;
  std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
  std::uint64_t low = static_cast<std::uint64_t>(value) & mask;
  if (isSigned && (low >> (bits - 1)) != 0) low |= ~mask;
  return static_cast<std::int64_t>(low);
}
}  // namespace

// ---- construction ----------------------------------------------------------------

TCustomAppStorage::TCustomAppStorage(TComponent* owner, TPlatform* platform)
    : TComponent(owner, platform),
      FStorageOptions(std::make_unique<TAppStorageOptions>()),
      FSubStorages(std::make_unique<TAppSubStorages>(*this)) {}

TCustomAppStorage::~TCustomAppStorage() {
  if (FFlushOnDestroy) Flush();
}

void TCustomAppStorage::Loaded() {
  TComponent::Loaded();
  SetUseOldDefaultRoot(FUseOldDefaultRoot);
  SetRoot(FRoot);
  if (FUpdateCount == 0) Reload();
}

void TCustomAppStorage::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && FSubStorages) FSubStorages->RemoveStorage(component);
}

void TCustomAppStorage::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Reload();
}

// ---- root --------------------------------------------------------------------------

void TCustomAppStorage::SetRoot(const std::string& value) {
  FRoot = ExpandRootMacros(NormalizePaths({value}));
}

std::string TCustomAppStorage::ExpandRootMacros(std::string root) {
  for (int round = 0; round < kMaxRootExpansions; ++round) {
    if (root == kNoneRoot) return {};
    std::size_t at = FindText(root, kApplNameMacro);
    bool applName = at != std::string::npos;
    if (!applName) at = FindText(root, kCompanyNameMacro);
    if (at == std::string::npos) return root;
    std::size_t length = applName ? sizeof(kApplNameMacro) - 1 : sizeof(kCompanyNameMacro) - 1;
    root = NormalizePaths({root.replace(at, length, ReplacementFor(applName))});
  }
  return root;
}

std::string TCustomAppStorage::ReplacementFor(bool applName) {
  ISystem& system = Platform().System;
  // The version resource is absent when none of its usual strings is there.
  static const char* const kVersionStrings[] = {
      "CompanyName",    "FileDescription",  "FileVersion", "InternalName",
      "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"};
  bool hasVersionInfo = false;
  for (const char* name : kVersionStrings)
    hasVersionInfo = hasVersionInfo || !system.VersionInfo(name).empty();

  if (!hasVersionInfo) {
    std::string replacement = applName ? "MyApplication" : "MyCompany";
    bool& shown = applName ? FApplNameNoticeShown : FCompanyNameNoticeShown;
    if (!shown) {
      shown = true;
      system.MessageBox(HWnd::None,
                        FormatText(kDefaultRootNotice,
                                   {applName ? kApplNameMacro : kCompanyNameMacro, replacement}),
                        "Information", MB_OK | kIconInformation);
    }
    return replacement;
  }
  if (!applName) return system.VersionInfo("CompanyName");
  std::string product = system.VersionInfo("ProductName");
  if (!product.empty()) return product;
  std::string exe = system.ExecutablePath();
  std::size_t slash = exe.find_last_of("\\/:");
  std::string file = slash == std::string::npos ? exe : exe.substr(slash + 1);
  std::size_t dot = file.rfind('.');
  return dot == std::string::npos ? file : file.substr(0, dot);
}

void TCustomAppStorage::SetUseOldDefaultRoot(bool value) {
  FUseOldDefaultRoot = value;
  if (value) SetRoot(kOldDefaultRoot);
}

// ---- paths -------------------------------------------------------------------------

std::string TCustomAppStorage::NormalizePaths(const std::vector<std::string>& pieces) {
  if (pieces.empty()) return {};
  std::size_t first = 0;
  for (std::size_t i = 1; i < pieces.size(); ++i)
    if (!pieces[i].empty() && pieces[i].front() == '\\') first = i;

  std::vector<std::string> segments;
  for (std::size_t i = first; i < pieces.size(); ++i) {
    const std::string& piece = pieces[i];
    std::size_t start = 0;
    while (start <= piece.size()) {
      std::size_t end = piece.find('\\', start);
      if (end == std::string::npos) end = piece.size();
      std::string segment = piece.substr(start, end - start);
      start = end + 1;
      if (segment.empty()) continue;
      if (segment.find_first_not_of('.') == std::string::npos) {
        // k dots climb k-1 levels.
        std::size_t up = std::min(segment.size() - 1, segments.size());
        segments.resize(segments.size() - up);
        continue;
      }
      segments.push_back(std::move(segment));
    }
  }
  std::string result;
  for (const auto& s : segments) {
    if (!result.empty()) result += '\\';
    result += s;
  }
  return result;
}

std::string TCustomAppStorage::AbsolutePath(const std::string& path) const {
  std::string result = FRoot + "\\" + NormalizePaths({FCurrentPath, path});
  std::size_t start = result.find_first_not_of('\\');
  return start == std::string::npos ? std::string() : result.substr(start);
}

TCustomAppStorage::TTarget TCustomAppStorage::ResolveTarget(const std::string& path) {
  // Built by appending: g++ 12 warns falsely on a literal joined to a string here.
  std::string inner(1, '\\');
  inner += NormalizePaths({FCurrentPath, path});
  TAppSubStorage* item = FSubStorages->MatchingItem(inner);
  if (item && item->AppStorage()) {
    std::string rest = NormalizePaths({inner.substr(1 + item->RootPath().size())});
    if (rest.empty()) throw EAppStorageError("Invalid path");
    std::string targetPath(1, '\\');
    targetPath += rest;
    return {item->AppStorage(), targetPath};
  }
  return {this, inner};
}

void TCustomAppStorage::SplitValuePath(const std::string& path, std::string& keyPath,
                                       std::string& valueName) const {
  std::string absolute = AbsolutePath(path);
  std::size_t slash = absolute.rfind('\\');
  if (slash == std::string::npos) {
    keyPath.clear();
    valueName = absolute;
  } else {
    keyPath = absolute.substr(0, slash);
    valueName = absolute.substr(slash + 1);
  }
}

// ---- values ------------------------------------------------------------------------

// A read in this storage: the default for a missing value or, when the options say so, for
// one that cannot be read or converted.
template <class T, class F>
T TCustomAppStorage::ReadLocal(const std::string& inner, T defaultValue, F read) {
  if (FStorageOptions->DefaultIfValueNotExists() && !DoValueExists(inner)) return defaultValue;
  try {
    return read();
  } catch (const ERegistryError&) {
    if (FStorageOptions->DefaultIfReadConvertError()) return defaultValue;
    throw;
  } catch (const EConvertError&) {
    if (FStorageOptions->DefaultIfReadConvertError()) return defaultValue;
    throw;
  }
}

std::uint64_t TCustomAppStorage::ReadFailures() const {
  std::uint64_t failures = FReadFailures;
  for (std::size_t i = 0; i < FSubStorages->Count(); ++i)
    if (const TCustomAppStorage* sub = FSubStorages->Items(i).AppStorage())
      failures += sub->ReadFailures();
  return failures;
}

bool TCustomAppStorage::ValueExists(const std::string& path) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->ValueExists(inner);
  return DoValueExists(inner);
}

bool TCustomAppStorage::PathIsKey(const std::string& path, bool listIsValue) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->PathIsKey(inner, listIsValue);
  return DoPathIsKey(inner);
}

std::int32_t TCustomAppStorage::ReadInteger(const std::string& path, std::int32_t defaultValue) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->ReadInteger(inner, defaultValue);
  return ReadLocal(inner, defaultValue, [&] { return DoReadInteger(inner, defaultValue); });
}

void TCustomAppStorage::WriteInteger(const std::string& path, std::int32_t value) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->WriteInteger(inner, value);
  if (FReadOnly) return;
  DoWriteInteger(inner, value);
}

std::string TCustomAppStorage::ReadString(const std::string& path,
                                          const std::string& defaultValue) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->ReadString(inner, defaultValue);
  return ReadLocal(inner, defaultValue, [&] { return DoReadString(inner, defaultValue); });
}

void TCustomAppStorage::WriteString(const std::string& path, const std::string& value) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->WriteString(inner, value);
  if (FReadOnly) return;
  DoWriteString(inner, value);
}

bool TCustomAppStorage::ReadBoolean(const std::string& path, bool defaultValue) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->ReadBoolean(inner, defaultValue);
  const TAppStorageOptions& options = *FStorageOptions;
  if (options.BooleanAsString()) {
    std::string text = ReadString(
        inner, defaultValue ? options.DefaultTrueString() : options.DefaultFalseString());
    if (options.IsValueTrueString(text)) return true;
    if (options.IsValueFalseString(text)) return false;
  }
  return ReadInteger(inner, defaultValue ? 1 : 0) != 0;
}

void TCustomAppStorage::WriteBoolean(const std::string& path, bool value) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->WriteBoolean(inner, value);
  if (FReadOnly) return;
  const TAppStorageOptions& options = *FStorageOptions;
  if (options.BooleanAsString())
    DoWriteString(inner, value ? options.DefaultTrueString() : options.DefaultFalseString());
  else
    DoWriteInteger(inner, value ? 1 : 0);
}

long double TCustomAppStorage::ReadFloat(const std::string& path, long double defaultValue) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->ReadFloat(inner, defaultValue);
  return ReadLocal(inner, defaultValue, [&] {
    if (!FStorageOptions->FloatAsString()) return DoReadFloat(inner, defaultValue);
    std::string text = DoReadString(inner, std::string());
    if (text.empty()) return defaultValue;
    long double value = 0;
    if (!ParseFloat(text, Platform().System.DecimalSeparator(), value))
      throw EConvertError(FormatText("'%s' is not a valid floating point value", {text}));
    return value;
  });
}

void TCustomAppStorage::WriteFloat(const std::string& path, long double value) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->WriteFloat(inner, value);
  if (FReadOnly) return;
  if (FStorageOptions->FloatAsString())
    DoWriteString(inner, FormatFloat(value, Platform().System.DecimalSeparator()));
  else
    DoWriteFloat(inner, value);
}

// ---- published properties ----------------------------------------------------------

std::string TCustomAppStorage::TranslateName(TObject* object, const std::string& name,
                                             bool reading) {
  std::string result = name;
  if (OnTranslatePropertyName) OnTranslatePropertyName(this, object, reading, result);
  return result;
}

void TCustomAppStorage::ReadPublishedProperty(const std::string& path, TObject& object,
                                              const std::string& propName, bool recursive,
                                              bool clearFirst) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this)
    return target->ReadPublishedProperty(inner, object, propName, recursive, clearFirst);
  const TPropInfo* info = GetPropInfo(object, propName);
  if (info) ReadProperty(inner, object, *info, recursive, clearFirst);
}

void TCustomAppStorage::WritePublishedProperty(const std::string& path, TObject& object,
                                               const std::string& propName, bool recursive) {
  auto [target, inner] = ResolveTarget(path);
  if (target != this) return target->WritePublishedProperty(inner, object, propName, recursive);
  const TPropInfo* info = GetPropInfo(object, propName);
  if (info) WriteProperty(inner, object, *info, recursive);
}

std::string TCustomAppStorage::ReadPropertyText(const std::string& path,
                                                const std::string& defaultValue) {
  if (FCryptEnabled <= 0 || !OnDecryptPropertyValue || !ValueExists(path))
    return ReadString(path, defaultValue);
  std::string text = ReadString(path, defaultValue);
  OnDecryptPropertyValue(this, text);
  return text;
}

void TCustomAppStorage::WritePropertyText(const std::string& path, const std::string& value) {
  std::string text = value;
  if (FCryptEnabled > 0 && OnEncryptPropertyValue) OnEncryptPropertyValue(this, text);
  WriteString(path, text);
}

template <class F>
void TCustomAppStorage::ForEachSubProperty(const std::string& path, TObject& object,
                                           const TPropInfo& info, bool recursive, bool reading,
                                           F visit) {
  TObject* sub = info.GetObject ? info.GetObject(object) : nullptr;
  if (!recursive || !sub) return;
  for (const TPropInfo* subInfo : GetPropList(*sub))
    if (subInfo->Kind != TTypeKind::tkMethod)
      visit(JoinPaths({path, TranslateName(sub, subInfo->Name, reading)}), *sub, *subInfo);
}

void TCustomAppStorage::ReadProperty(const std::string& path, TObject& object,
                                     const TPropInfo& info, bool recursive, bool clearFirst) {
  const TAppStorageOptions& options = *FStorageOptions;
  switch (info.Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar: {
      std::int64_t current = info.GetOrd(object);
      std::int64_t value = 0;
      bool named = false;
      if (const auto* idents = options.TypedIntegerAsString()
                                   ? TPropertyTable::Instance().Idents(info.TypeName)
                                   : nullptr) {
        std::string text = ReadString(path, std::string());
        for (const auto& ident : *idents)
          if (!text.empty() && SameText(ident.Name, text)) {
            value = ident.Value;
            named = true;
            break;
          }
      }
      if (!named) value = ReadInteger(path, static_cast<std::int32_t>(current));
      // Only the property's own bytes are taken: a 16-bit property gets the low 16 bits.
      info.SetOrd(object, FitOrdinal(value, info.OrdSize, info.Signed));
      return;
    }
    case TTypeKind::tkEnumeration: {
      std::int64_t current = info.GetOrd(object);
      if (SameText(info.TypeName, "Boolean")) {
        info.SetOrd(object, ReadBoolean(path, current != 0) ? 1 : 0);
        return;
      }
      if (options.EnumerationAsString()) {
        std::string text = ReadString(path, std::string());
        for (std::size_t i = 0; i < info.EnumNames.size(); ++i)
          if (!text.empty() && SameText(info.EnumNames[i], text)) {
            info.SetOrd(object, static_cast<std::int64_t>(i));
            return;
          }
      }
      std::int64_t value = ReadInteger(path, static_cast<std::int32_t>(current));
      if (value >= 0 &&
          (info.EnumNames.empty() || value < static_cast<std::int64_t>(info.EnumNames.size())))
        info.SetOrd(object, value);
      return;
    }
    case TTypeKind::tkInt64: {
      std::int64_t value = 0;
      if (ParseInt64(ReadString(path, std::string()), value)) info.SetOrd(object, value);
      return;
    }
    case TTypeKind::tkFloat:
      info.SetFloat(object, ReadFloat(path, info.GetFloat(object)));
      return;
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
    case TTypeKind::tkWString:
      info.SetStr(object, ReadPropertyText(path, info.GetStr(object)));
      return;
    case TTypeKind::tkClass:
      ForEachSubProperty(path, object, info, recursive, true,
                         [&](const std::string& subPath, TObject& sub, const TPropInfo& subInfo) {
                           ReadProperty(subPath, sub, subInfo, recursive, clearFirst);
                         });
      return;
    case TTypeKind::tkMethod:
      return;
    default:
      throw EAppStorageError("Invalid type");
  }
}

void TCustomAppStorage::WriteProperty(const std::string& path, TObject& object,
                                      const TPropInfo& info, bool recursive) {
  const TAppStorageOptions& options = *FStorageOptions;
  switch (info.Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar: {
      std::int64_t value = info.GetOrd(object);
      if (const auto* idents = options.TypedIntegerAsString()
                                   ? TPropertyTable::Instance().Idents(info.TypeName)
                                   : nullptr) {
        for (const auto& ident : *idents)
          if (ident.Value == value) return WriteString(path, ident.Name);
      }
      WriteInteger(path, static_cast<std::int32_t>(FitOrdinal(value, info.OrdSize, true)));
      return;
    }
    case TTypeKind::tkEnumeration: {
      std::int64_t value = info.GetOrd(object);
      if (SameText(info.TypeName, "Boolean")) return WriteBoolean(path, value != 0);
      if (options.EnumerationAsString() && value >= 0 &&
          value < static_cast<std::int64_t>(info.EnumNames.size()))
        return WriteString(path, info.EnumNames[static_cast<std::size_t>(value)]);
      WriteInteger(path, static_cast<std::int32_t>(value));
      return;
    }
    case TTypeKind::tkInt64:
      WriteString(path, std::to_string(info.GetOrd(object)));
      return;
    case TTypeKind::tkFloat:
      WriteFloat(path, info.GetFloat(object));
      return;
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
    case TTypeKind::tkWString:
      WritePropertyText(path, info.GetStr(object));
      return;
    case TTypeKind::tkClass:
      ForEachSubProperty(path, object, info, recursive, false,
                         [&](const std::string& subPath, TObject& sub, const TPropInfo& subInfo) {
                           WriteProperty(subPath, sub, subInfo, recursive);
                         });
      return;
    case TTypeKind::tkMethod:
      return;
    default:
      throw EAppStorageError("Invalid type");
  }
}

// ---- extended-precision numbers ----------------------------------------------------

void EncodeExtended(long double value, std::uint8_t out[10]) {
  std::uint64_t mantissa = 0;
  std::uint16_t exponent = 0;
  bool negative = std::signbit(value);
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (value != 0) {
    int e = 0;
    long double m = std::frexp(std::fabs(value), &e);  // |value| = m * 2^e, m in [0.5, 1)
    int biased = e - 1 + 16383;
    if (biased >= 0x7FFF) {
      exponent = 0x7FFF;
      mantissa = 0x8000000000000000ull;
    } else if (biased <= 0) {
      mantissa = static_cast<std::uint64_t>(std::ldexp(std::fabs(value), 16382 + 63));
    } else {
      exponent = static_cast<std::uint16_t>(biased);
      mantissa = static_cast<std::uint64_t>(std::ldexp(m, 64));
    }
  }
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
  std::uint16_t top = static_cast<std::uint16_t>(exponent | (negative ? 0x8000 : 0));
  out[8] = static_cast<std::uint8_t>(top);
  out[9] = static_cast<std::uint8_t>(top >> 8);
}

long double DecodeExtended(const std::uint8_t in[10]) {
  std::uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa |= static_cast<std::uint64_t>(in[i]) << (8 * i);
  std::uint16_t top = static_cast<std::uint16_t>(in[8] | (in[9] << 8));
  bool negative = (top & 0x8000) != 0;
  int exponent = top & 0x7FFF;
  long double value;
  if (exponent == 0x7FFF)
    value = (mantissa << 1) == 0 ? std::numeric_limits<long double>::infinity()
                                 : std::numeric_limits<long double>::quiet_NaN();
  else if (exponent == 0)
    value = std::ldexp(static_cast<long double>(mantissa), -16382 - 63);
  else
    value = std::ldexp(static_cast<long double>(mantissa), exponent - 16383 - 63);
  return negative ? -value : value;
}
