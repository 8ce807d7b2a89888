#pragma once
// A path-based store of typed values, independent of where the values live: the root, path
// joining and normalisation, the storage options, defaults, sub-storages, and reading and
// writing published properties by their type. A medium (the registry) derives from it and
// supplies the Do... operations, which take paths already resolved to this storage.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Properties.h"
#include "storage/AppStorageOptions.h"
#include "storage/AppSubStorages.h"
#include "storage/StorageErrors.h"

class TCustomAppStorage;
// (storage, object, reading, in/out name)
using TTranslatePropertyNameEvent = TEvent<TObject*, bool, std::string&>;
// (in/out value text)
using TPropertyValueCryptEvent = TEvent<std::string&>;

class TCustomAppStorage : public TComponent {
 public:
  explicit TCustomAppStorage(TComponent* owner, TPlatform* platform = nullptr);
  ~TCustomAppStorage() override;

  // ---- properties ----------------------------------------------------------
  TAppStorageOptions& StorageOptions() { return *FStorageOptions; }
  const std::string& Root() const { return FRoot; }
  void SetRoot(const std::string& value);
  const std::string& CurrentPath() const { return FCurrentPath; }
  void SetCurrentPath(const std::string& value) { FCurrentPath = NormalizePaths({value}); }
  TAppSubStorages& SubStorages() { return *FSubStorages; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  bool FlushOnDestroy() const { return FFlushOnDestroy; }
  void SetFlushOnDestroy(bool value) { FFlushOnDestroy = value; }
  // Assigns "Software\%COMPANY_NAME%\%APPL_NAME%" as the root when set.
  bool UseOldDefaultRoot() const { return FUseOldDefaultRoot; }
  void SetUseOldDefaultRoot(bool value);

  TTranslatePropertyNameEvent OnTranslatePropertyName;
  TPropertyValueCryptEvent OnEncryptPropertyValue;
  TPropertyValueCryptEvent OnDecryptPropertyValue;

  // ---- paths ---------------------------------------------------------------
  // Joins pieces with "\": a piece beginning with "\" starts afresh, "." is skipped and k dots
  // go k-1 segments back; no leading or trailing "\" in the result.
  static std::string NormalizePaths(const std::vector<std::string>& pieces);
  static std::string JoinPaths(const std::vector<std::string>& pieces) {
    return NormalizePaths(pieces);
  }
  // The root, "\" and the normalised path, without a leading "\".
  std::string AbsolutePath(const std::string& path) const;
  // The storage that serves a path and the path inside it.
  struct TTarget {
    TCustomAppStorage* Storage;
    std::string Path;
  };
  TTarget ResolveTarget(const std::string& path);
  // Key path and value name of the absolute path: split at its last "\".
  void SplitValuePath(const std::string& path, std::string& keyPath, std::string& valueName) const;

  // ---- values --------------------------------------------------------------
  bool ValueExists(const std::string& path);
  bool PathIsKey(const std::string& path, bool listIsValue = false);
  std::int32_t ReadInteger(const std::string& path, std::int32_t defaultValue);
  void WriteInteger(const std::string& path, std::int32_t value);
  std::string ReadString(const std::string& path, const std::string& defaultValue);
  void WriteString(const std::string& path, const std::string& value);
  bool ReadBoolean(const std::string& path, bool defaultValue);
  void WriteBoolean(const std::string& path, bool value);
  long double ReadFloat(const std::string& path, long double defaultValue);
  void WriteFloat(const std::string& path, long double value);

  // How often the medium failed while reading, here or in a sub-storage: a key that would not
  // open, a query that failed. A missing or unusable value is no failure; such reads still
  // return their default, so a caller that must tell the two apart compares this count.
  std::uint64_t ReadFailures() const;

  // ---- published properties -----------------------------------------------
  void ReadPublishedProperty(const std::string& path, TObject& object, const std::string& propName,
                             bool recursive = true, bool clearFirst = true);
  void WritePublishedProperty(const std::string& path, TObject& object, const std::string& propName,
                              bool recursive = true);
  std::string TranslateName(TObject* object, const std::string& name, bool reading);

  // Values are encrypted through the events only while this count is above 0.
  void EnablePropertyValueEncryption() { ++FCryptEnabled; }
  void DisablePropertyValueEncryption() { --FCryptEnabled; }

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  // Re-reads the medium; a registry has nothing cached.
  virtual void Reload() {}
  // Writes out what the medium holds back; a registry holds nothing back.
  virtual void Flush() {}

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  // A read in this storage, with the options' defaults for missing and unreadable values.
  template <class T, class F>
  T ReadLocal(const std::string& inner, T defaultValue, F read);

  void NoteReadFailure() { ++FReadFailures; }

  // ---- the medium: paths are resolved to this storage ----------------------
  virtual bool DoValueExists(const std::string& path) = 0;
  virtual bool DoPathIsKey(const std::string& path) = 0;
  virtual std::int32_t DoReadInteger(const std::string& path, std::int32_t defaultValue) = 0;
  virtual void DoWriteInteger(const std::string& path, std::int32_t value) = 0;
  virtual std::string DoReadString(const std::string& path, const std::string& defaultValue) = 0;
  virtual void DoWriteString(const std::string& path, const std::string& value) = 0;
  // The 10-byte extended-precision form.
  virtual long double DoReadFloat(const std::string& path, long double defaultValue) = 0;
  virtual void DoWriteFloat(const std::string& path, long double value) = 0;

 private:
  std::string ExpandRootMacros(std::string root);
  std::string ReplacementFor(bool applName);
  void ReadProperty(const std::string& path, TObject& object, const TPropInfo& info, bool recursive,
                    bool clearFirst);
  void WriteProperty(const std::string& path, TObject& object, const TPropInfo& info,
                     bool recursive);
  // Calls visit(subPath, subObject, subInfo) for each stored property of the object a class
  // property holds; nothing when not recursing or when it holds none.
  template <class F>
  void ForEachSubProperty(const std::string& path, TObject& object, const TPropInfo& info,
                          bool recursive, bool reading, F visit);
  std::string ReadPropertyText(const std::string& path, const std::string& defaultValue);
  void WritePropertyText(const std::string& path, const std::string& value);

  std::unique_ptr<TAppStorageOptions> FStorageOptions;
  std::unique_ptr<TAppSubStorages> FSubStorages;
  std::string FRoot;
  std::string FCurrentPath;
  bool FReadOnly = false;
  bool FFlushOnDestroy = true;
  bool FUseOldDefaultRoot = false;
  int FUpdateCount = 0;
  int FCryptEnabled = 0;
  std::uint64_t FReadFailures = 0;
  // The default-root notice is shown once per storage and macro.
  bool FApplNameNoticeShown = false;
  bool FCompanyNameNoticeShown = false;
};

// The 10-byte extended-precision form of a number (64-bit mantissa with explicit integer bit,
// 15-bit exponent, sign), little-endian, and back.
void EncodeExtended(long double value, std::uint8_t out[10]);
long double DecodeExtended(const std::uint8_t in[10]);
