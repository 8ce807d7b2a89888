#include "app/Program.h"

TProgram::~TProgram() {
  FApplication.reset();
  FInstance.reset();  // the session's next start may run once the window is gone
}

bool TProgram::Start() {
  FInstance = std::make_unique<TInstanceLock>(FPlatform.System);
  if (!FInstance->First()) {
    HandOverToRunningProgram(FPlatform);
    FInstance.reset();
    return false;
  }
  FApplication = std::make_unique<TApplication>(FPlatform);
  FApplication->Initialize();
  FApplication->SetShowMainForm(false);
  FApplication->SetTitle("Kelvane");
  FForm = FApplication->CreateForm<TForm1>();
  // A later start's request shows the window and brings it to the front, as a tray click on
  // a hidden window does; a visible one only comes to the front.
  std::uint32_t handOver = FPlatform.Windows.RegisterWindowMessage(kHandOverMessageName);
  TApplication* application = FApplication.get();
  FApplication->HookMainWindow([application, handOver](TMessage& message) {
    if (handOver == 0 || message.Msg != handOver) return false;
    if (TForm* form = application->MainForm()) form->Show();
    return true;
  });
  return true;
}

void TProgram::Run() {
  if (FApplication) FApplication->Run();
}

int RunProgram(TPlatform& platform) {
  TProgram program(platform);
  if (program.Start()) program.Run();
  return 0;
}
