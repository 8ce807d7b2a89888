#pragma once
// A form with the storage part of the main window (two up-downs, the registry storage and the
// form storage), loaded the way the window description loads it.
#include <vector>

#include "framework/Forms.h"
#include "framework/UpDown.h"
#include "storage/AppRegistryStorage.h"
#include "storage/FormStorage.h"

// The storage part of the main window, loaded the way its description loads it.
class TStorageForm : public TForm {
 public:
  explicit TStorageForm(TComponent* owner) : TForm(owner) {
    BeginLoading();
    SetName("Form1");
    OnShow = {this, &TStorageForm::FormShow};
    OnHide = {this, &TStorageForm::FormHide};
    udBoostOnTemp = Make<TUpDown>("udBoostOnTemp");
    udBoostOnTemp->SetMin(20);
    udBoostOnTemp->SetMax(85);
    udBoostOnTemp->SetPosition(65);
    udBoostOffTemp = Make<TUpDown>("udBoostOffTemp");
    udBoostOffTemp->SetMin(19);
    udBoostOffTemp->SetMax(85);
    udBoostOffTemp->SetPosition(55);
    AppRegistryStorage1 = Make<TAppRegistryStorage>("AppRegistryStorage1");
    AppRegistryStorage1->SetRoot("Software\\Kelvane");
    AppRegistryStorage1->StorageOptions().SetBooleanStringTrueValues("TRUE, YES, Y");
    AppRegistryStorage1->StorageOptions().SetBooleanStringFalseValues("FALSE, NO, N");
    FormStorage1 = Make<TFormStorage>("FormStorage1");
    FormStorage1->SetAppStorage(AppRegistryStorage1);
    FormStorage1->SetAppStoragePath("Form1\\");
    FormStorage1->SetOptions({});
    FormStorage1->SetStoredProps({"udBoostOffTemp.Position", "udBoostOnTemp.Position"});
    EndLoading();
    for (const auto& component : Components()) component->EndLoading();
  }

  void FormShow(TObject*) {
    FormStorage1->RestoreState();
    PositionsAtFormShow = {udBoostOffTemp->Position(), udBoostOnTemp->Position()};
  }
  void FormHide(TObject*) { FormStorage1->SaveState(); }

  TUpDown* udBoostOnTemp = nullptr;
  TUpDown* udBoostOffTemp = nullptr;
  TAppRegistryStorage* AppRegistryStorage1 = nullptr;
  TFormStorage* FormStorage1 = nullptr;
  std::vector<int> PositionsAtFormShow;

 private:
  template <class T>
  T* Make(const char* name) {
    T* component = NewComponent<T>(this);
    component->BeginLoading();
    component->SetName(name);
    return component;
  }
};
