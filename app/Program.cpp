#include "app/Program.h"

TProgram::~TProgram() {
  FApplication.reset();
  FInstance.reset();  // the next start may run once the window is gone
}

bool TProgram::Start() {
  FInstance = std::make_unique<TInstanceLock>(FPlatform.System);
  switch (FInstance->Role()) {
    case TInstanceRole::First:
      break;
    case TInstanceRole::SameSession:
      if (TakeOverFromUnelevatedCopy(FPlatform, *FInstance)) break;
      HandOverToRunningProgram(FPlatform);
      FInstance.reset();
      return false;
    case TInstanceRole::OtherSession:
      TellFanControlledElsewhere(FPlatform);
      FInstance.reset();
      return false;
  }
  FApplication = std::make_unique<TApplication>(FPlatform);
  FApplication->Initialize();
  FApplication->SetShowMainForm(false);
  FApplication->SetTitle(kApplicationTitle);
  // A later start's request shows the window and brings it to the front, as a tray click on
  // a hidden window does; a visible one only comes to the front. The hook is in place before
  // the form is made, since the form's start-up can run a modal box whose loop takes the
  // request: it is kept until start-up ends. A later start may run with fewer rights than
  // this one, so the request is let through the elevation filter.
  std::uint32_t handOver = FPlatform.Windows.RegisterWindowMessage(kHandOverMessageName);
  if (handOver != 0) FPlatform.Windows.ChangeWindowMessageFilter(handOver);
  FStarting = true;
  TApplication* application = FApplication.get();
  FApplication->HookMainWindow([this, application, handOver](TMessage& message) {
    if (handOver == 0 || message.Msg != handOver) return false;
    if (FStarting)
      FHandOverPending = true;
    else if (TForm* form = application->MainForm())
      form->Show();
    return true;
  });
  FForm = FApplication->CreateForm<TForm1>();
  FStarting = false;
  if (FHandOverPending && !FApplication->Terminated()) FForm->Show();
  FHandOverPending = false;
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
