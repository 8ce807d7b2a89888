#pragma once
// How a storage turns values into stored form: Boolean texts, and which kinds go as text.
#include <string>
#include <vector>

#include "framework/Events.h"

class TCustomAppStorageOptions : public TObject {
 public:
  TCustomAppStorageOptions() = default;

  // Comma-separated texts read as true or false; the first item is what is written.
  const std::string& BooleanStringTrueValues() const { return FBooleanStringTrueValues; }
  void SetBooleanStringTrueValues(const std::string& value);
  const std::string& BooleanStringFalseValues() const { return FBooleanStringFalseValues; }
  void SetBooleanStringFalseValues(const std::string& value);
  // Stays true only while both lists have a non-empty first item.
  bool BooleanAsString() const { return FBooleanAsString; }
  void SetBooleanAsString(bool value);

  bool EnumerationAsString() const { return FEnumerationAsString; }
  void SetEnumerationAsString(bool value) { FEnumerationAsString = value; }
  bool TypedIntegerAsString() const { return FTypedIntegerAsString; }
  void SetTypedIntegerAsString(bool value) { FTypedIntegerAsString = value; }
  bool SetAsString() const { return FSetAsString; }
  void SetSetAsString(bool value) { FSetAsString = value; }
  bool DateTimeAsString() const { return FDateTimeAsString; }
  void SetDateTimeAsString(bool value) { FDateTimeAsString = value; }
  bool FloatAsString() const { return FFloatAsString; }
  void SetFloatAsString(bool value) { FFloatAsString = value; }
  bool DefaultIfReadConvertError() const { return FDefaultIfReadConvertError; }
  void SetDefaultIfReadConvertError(bool value) { FDefaultIfReadConvertError = value; }
  bool DefaultIfValueNotExists() const { return FDefaultIfValueNotExists; }
  void SetDefaultIfValueNotExists(bool value) { FDefaultIfValueNotExists = value; }

  // The trimmed first items, written for true and false.
  std::string DefaultTrueString() const;
  std::string DefaultFalseString() const;
  // The text, upper-cased, is one of the list's items (split at commas and blanks).
  bool IsValueTrueString(const std::string& text) const;
  bool IsValueFalseString(const std::string& text) const;

 private:
  std::string FBooleanStringTrueValues = "TRUE, YES, Y";
  std::string FBooleanStringFalseValues = "FALSE, NO, N";
  bool FBooleanAsString = true;
  bool FEnumerationAsString = true;
  bool FTypedIntegerAsString = true;
  bool FSetAsString = false;
  bool FDateTimeAsString = true;
  bool FFloatAsString = false;
  bool FDefaultIfReadConvertError = false;
  bool FDefaultIfValueNotExists = true;
};

class TAppStorageOptions : public TCustomAppStorageOptions {};
