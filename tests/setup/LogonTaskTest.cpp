// The log-on task on the simulated scheduler, which widens a descriptor as Windows documents
// (an entry for the principal unless told not to) and as reported (the protection dropped).
// Wine cannot decide any of it: its scheduler keeps no descriptor and runs no trigger.
#include <gtest/gtest.h>

#include "platform/sim/SimTasks.h"
#include "setup/LogonTask.h"
#include "setup/SetupText.h"

namespace {
constexpr char kUser[] = "DESKTOP\\Tom & Jerry";
constexpr char kFolder[] = "C:\\Program Files\\Kelvane";
constexpr char kPrincipal[] = "S-1-5-21-1180699209-877415012-3182924384-1001";
}  // namespace

TEST(LogonTask, DefinitionStartsAgainEveryMinuteOnceAtATimeMarked) {
  std::string xml = LogonTaskXml(kUser, kFolder);
  for (const char* part : {
           "<LogonTrigger>\r\n      <Repetition>\r\n        <Interval>PT1M</Interval>\r\n"
           "        <StopAtDurationEnd>false</StopAtDurationEnd>\r\n      </Repetition>",
           "<UserId>DESKTOP\\Tom &amp; Jerry</UserId>",
           "<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>",
           "<RunLevel>HighestAvailable</RunLevel>",
           "<Command>\"C:\\Program Files\\Kelvane\\kelvane.exe\"</Command>\r\n"
           "      <Arguments>/autostart</Arguments>",
           "<SecurityDescriptor>D:P(A;;FA;;;SY)(A;;FA;;;BA)</SecurityDescriptor>",
       })
    EXPECT_NE(xml.find(part), std::string::npos) << part;
  // Repeated for as long as the session lasts: no end to the repetition.
  EXPECT_EQ(xml.find("<Duration>"), std::string::npos);
  EXPECT_EQ(xml.find(" & "), std::string::npos);
}

TEST(LogonTask, WhoMayChangeATaskByItsDescriptor) {
  struct TCase {
    const char* Sddl;
    std::vector<std::string> Changers;
  } const cases[] = {
      {"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)", {}},
      {"D:P(A;;FA;;;S-1-5-18)(A;;0x1f01ff;;;S-1-5-32-544)", {}},
      // Start and read for the principal, as Windows is reported to add.
      {"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FR;;;S-1-5-21-1)", {}},
      {"O:BAD:P(A;;FA;;;SY)(A;;GRGX;;;S-1-5-21-1)(A;;FX;;;AU)", {}},
      {"O:BAD:P(A;;FA;;;SY)(A;;FA;;;S-1-5-21-1)", {"S-1-5-21-1"}},
      {"O:BAD:(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x10000;;;AU)(A;;WD;;;BU)(A;;GW;;;WD)",
       {"AU", "BU", "WD"}},
      {"O:BAD:(A;;RC;;;BU)(A;;SDWO;;;IU)", {"IU"}},
      {"O:S-1-5-21-1D:P(A;;FA;;;SY)", {"S-1-5-21-1"}},  // an owner may change the list
      {"O:BAD:P(D;;FA;;;AU)(A;OICIIO;GA;;;CO)(A;;FA;;;BA)", {}},
      {"O:BAD:P(XA;;FA;;;S-1-5-21-1;(Member_of {SID(BA)}))", {"S-1-5-21-1"}},
      {"O:BAD:NO_ACCESS_CONTROL", {"WD"}},
      {"O:BAD:P(A;;QQ;;;S-1-5-21-1)", {"S-1-5-21-1"}},  // rights not read: every right
  };
  for (const TCase& c : cases) {
    std::optional<std::vector<std::string>> changers = TaskChangers(c.Sddl);
    ASSERT_TRUE(changers) << c.Sddl;
    EXPECT_EQ(*changers, c.Changers) << c.Sddl;
  }
  for (const char* unreadable : {"", "O:BA", "D:P(A;;FA;;;SY", "garbage", "D:P(A;;FA)"})
    EXPECT_FALSE(TaskChangers(unreadable)) << unreadable;
}

// Registered without the principal's entry and read back: a scheduler that adds a changing
// entry all the same, or drops the protection, leaves no task and stops the setup.
TEST(LogonTask, RegisteredOnlyAsProtectedAsAsked) {
  struct TCase {
    const char* Name;
    bool AddsPrincipalAlways;
    const char* PrincipalRights;
    bool DropsProtection;
    const char* FolderEntries;
    TTaskRegistration Result;
  } const cases[] = {
      {"as documented", false, "FA", false, "", TTaskRegistration::Registered},
      {"start and read added", true, "FRFX", false, "", TTaskRegistration::Registered},
      {"change added", true, "FA", false, "", TTaskRegistration::Refused},
      {"protection dropped, folder reads", false, "FA", true, "(A;;FR;;;AU)",
       TTaskRegistration::Registered},
      {"protection dropped, folder writes", false, "FA", true, "(A;;FA;;;AU)",
       TTaskRegistration::Refused},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSimTasks tasks;
    tasks.AddsPrincipalAlways = c.AddsPrincipalAlways;
    tasks.PrincipalRights = c.PrincipalRights;
    tasks.DropsProtection = c.DropsProtection;
    tasks.FolderEntries = c.FolderEntries;
    TTaskOutcome outcome = RegisterLogonTask(tasks, kUser, kFolder);
    EXPECT_EQ(outcome.Result, c.Result);
    EXPECT_EQ(tasks.Calls.front(), "Register(Kelvane,22)") << "create or update, no entry added";
    EXPECT_EQ(tasks.Tasks.count("Kelvane"), c.Result == TTaskRegistration::Registered ? 1u : 0u);
    if (c.Result == TTaskRegistration::Registered) {
      EXPECT_EQ(outcome.Text, "");
      EXPECT_EQ(tasks.Tasks["Kelvane"].User, kUser);
      EXPECT_EQ(tasks.Tasks["Kelvane"].Xml, LogonTaskXml(kUser, kFolder));
    } else {
      EXPECT_EQ(outcome.Text.rfind(SetupText(TSetupText::TaskUnprotected), 0), 0u);
      EXPECT_NE(outcome.Text.find(c.DropsProtection ? "AU" : kPrincipal), std::string::npos);
    }
  }
}

TEST(LogonTask, ASchedulerThatRefusesOrKeepsNoDescriptor) {
  TSimTasks refusing;
  refusing.RegisterFails = 0x80070005;
  TTaskOutcome outcome = RegisterLogonTask(refusing, kUser, kFolder);
  EXPECT_EQ(outcome.Result, TTaskRegistration::Failed);
  EXPECT_EQ(outcome.Text, SetupText(TSetupText::TaskNotRegistered) + std::string(" (0x80070005)."));

  TSimTasks wineLike;
  wineLike.KeepsNoDescriptor = true;
  outcome = RegisterLogonTask(wineLike, kUser, kFolder);
  EXPECT_EQ(outcome.Result, TTaskRegistration::Registered);
  EXPECT_EQ(outcome.Text, SetupText(TSetupText::TaskDescriptorNotKept));
}

// The entries the script calls around an upgrade, an uninstall and a start.
TEST(LogonTask, DisabledEnabledRunRemovedAndTheStartWithoutIt) {
  TSimTasks tasks;
  EXPECT_FALSE(EnableLogonTask(tasks, false)) << "none registered";
  EXPECT_FALSE(StartLogonTask(tasks));
  RegisterLogonTask(tasks, kUser, kFolder);
  EXPECT_TRUE(EnableLogonTask(tasks, false));
  EXPECT_FALSE(tasks.Tasks["Kelvane"].Enabled);
  EXPECT_TRUE(EnableLogonTask(tasks, true));
  EXPECT_TRUE(tasks.Tasks["Kelvane"].Enabled);
  EXPECT_TRUE(StartLogonTask(tasks));
  EXPECT_EQ(tasks.Tasks["Kelvane"].Runs, 1);
  EXPECT_TRUE(RemoveLogonTask(tasks));
  EXPECT_FALSE(RemoveLogonTask(tasks));
  EXPECT_TRUE(tasks.Tasks.empty());

  EXPECT_EQ(StartAsDesktopUser(tasks, kFolder), "");
  ASSERT_EQ(tasks.ShellUserStarts.size(), 1u);
  EXPECT_EQ(tasks.ShellUserStarts[0].Path, std::string(kFolder) + "\\kelvane.exe");
  EXPECT_EQ(tasks.ShellUserStarts[0].Arguments, "") << "a start by hand, not the task's";
  EXPECT_EQ(tasks.ShellUserStarts[0].Folder, kFolder);
  tasks.ShellRunning = false;
  EXPECT_EQ(StartAsDesktopUser(tasks, kFolder), SetupText(TSetupText::NotStartedAsDesktopUser));
}
