#include "app/Program.h"

#include "app/Unit1.h"

int RunProgram(TPlatform& platform) {
  TApplication application(platform);
  application.Initialize();
  application.SetShowMainForm(false);
  application.SetTitle("Kelvane");
  application.CreateForm<TForm1>();
  application.Run();
  return 0;
}
