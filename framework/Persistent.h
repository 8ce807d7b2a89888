#pragma once
// Objects that can take over the settings of another object. The generic copy knows no
// pair of classes and fails with a conversion error; classes that know their kind override
// Assign and fall back on the inherited one for anything else.
#include <string>

#include "framework/Events.h"
#include "platform/Exception.h"

class TPersistent : public TObject {
 public:
  virtual std::string ClassName() const { return "TPersistent"; }
  virtual void Assign(const TPersistent& source) { source.AssignTo(*this); }

 protected:
  virtual void AssignTo(TPersistent& dest) const {
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
  }
};
