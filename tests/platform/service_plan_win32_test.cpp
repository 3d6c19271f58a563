// What a registration hands the Service Control Manager, read from the plan
// where Wine's manager ignores it: it stores no recovery actions, sends no
// SHUTDOWN or PRESHUTDOWN, shows no event text and does not enforce access
// lists. A real Windows then restarts a failed service 5 s later (three
// times a day), stops it on PRESHUTDOWN within the bound, shows each event
// with its text, and lets only SYSTEM and the Administrators into the
// password's folder.
#include "platform/service_store_win32.h"
#include "support/temp_folder.h"
#include "support/tool_run.h"

#include <gtest/gtest.h>

#include <sddl.h>

namespace {

ServiceSettings settings(StartType start) {
  return ServiceSettings{
      "two words", "C:\\Program Files\\z\\zerinctl.exe", "C:\\Program Files\\z", "admin", 7, start};
}

TEST(ServicePlan, RecoversFromEveryFailureAndStopsWithinTheBoundBeforeShutdown) {
  const ServicePlan plan = planService(settings(StartType::kAuto));
  ASSERT_EQ(plan.failureActions.size(), 3u);
  for (const SC_ACTION& action : plan.failureActions) {
    EXPECT_EQ(action.Type, SC_ACTION_RESTART);
    EXPECT_EQ(action.Delay, 5000u);
  }
  EXPECT_EQ(plan.failureResetSeconds, 86400u);
  EXPECT_TRUE(plan.failureActionsOnNonCrashFailures);
  EXPECT_GT(plan.preshutdownMilliseconds, 7000u);
  EXPECT_EQ(plan.binaryPath, L"\"C:\\Program Files\\z\\zerinctl.exe\" -service \"two words\"");
  const std::pair<StartType, std::pair<DWORD, BOOL>> starts[] = {
      {StartType::kAuto, {SERVICE_AUTO_START, FALSE}},
      {StartType::kDelayed, {SERVICE_AUTO_START, TRUE}},
      {StartType::kDemand, {SERVICE_DEMAND_START, FALSE}}};
  for (const auto& [start, expected] : starts) {
    const ServicePlan planned = planService(settings(start));
    EXPECT_EQ(std::make_pair(planned.startType, planned.delayedAutoStart), expected);
  }
}

TEST(ServicePlan, EachStepOfTheServiceLeavesItsEventWithTheToolsMessage) {
  const struct {
    ServiceEvent event;
    WORD type;
    const wchar_t* text;
  } rows[] = {
      {ServiceEvent::kStarting, EVENTLOG_INFORMATION_TYPE, L"Service zerinctl-s starting"},
      {ServiceEvent::kRunning, EVENTLOG_INFORMATION_TYPE, L"Service zerinctl-s running: said"},
      {ServiceEvent::kStopRequested, EVENTLOG_INFORMATION_TYPE,
       L"Service zerinctl-s asked to stop"},
      {ServiceEvent::kStopped, EVENTLOG_INFORMATION_TYPE, L"Service zerinctl-s stopped: said"},
      {ServiceEvent::kEnded, EVENTLOG_WARNING_TYPE,
       L"Service zerinctl-s stopped, its engine ended by force: said"},
      {ServiceEvent::kEndedUnasked, EVENTLOG_ERROR_TYPE,
       L"Service zerinctl-s failed: its engine ended unasked: said"},
      {ServiceEvent::kFailedStart, EVENTLOG_ERROR_TYPE,
       L"Service zerinctl-s failed to start: said"},
  };
  // The event viewer shows each entry through the tool's message table.
  HMODULE tool = LoadLibraryExW(wideText(builtProgram("zerinctl")).c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(tool, nullptr);
  for (const auto& row : rows) {
    EventEntry entry = eventEntryFor(row.event, "s", "said");
    EXPECT_EQ(entry.type, row.type) << static_cast<int>(row.event);
    EXPECT_EQ(entry.text, row.text);
    wchar_t shown[256] = {};
    const DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(entry.text.c_str())};
    FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, tool, entry.id, 0,
                   shown, 256, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(inserts)));
    EXPECT_EQ(std::wstring(shown), entry.text + L"\r\n");
  }
  FreeLibrary(tool);
}

// The folder's list as the system reads it: protected from inheritance,
// full access for SYSTEM and the Administrators, no one else. The password
// goes through the machine's data protection and back.
TEST(ServicePlan, ThePasswordIsSealedInAFolderOnlySystemAndAdministratorsEnter) {
  TempFolder temp;
  ServicePlan plan = planService(settings(StartType::kAuto));
  plan.passwordFolder = wideText(temp.native("store"));
  plan.passwordFile = wideText(temp.native("store\\s.password"));
  ASSERT_EQ(storePassword(plan, "se\"cret"), static_cast<DWORD>(NO_ERROR));
  std::string password, error;
  ASSERT_TRUE(readPassword(plan.passwordFile, &password, &error)) << error;
  EXPECT_EQ(password, "se\"cret");
  EXPECT_EQ(temp.read("store/s.password").find("se\"cret"), std::string::npos);

  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      plan.passwordFolderAccess.c_str(), SDDL_REVISION_1, &descriptor, nullptr));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  BOOL present = FALSE, defaulted = FALSE;
  PACL access = nullptr;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  GetSecurityDescriptorDacl(descriptor, &present, &access, &defaulted);
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
  ASSERT_TRUE(present && access != nullptr && access->AceCount == 2);
  const char* const admitted[] = {"S-1-5-18", "S-1-5-32-544"};
  for (WORD i = 0; i < access->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    GetAce(access, i, reinterpret_cast<void**>(&ace));
    char* sid = nullptr;
    ConvertSidToStringSidA(&ace->SidStart, &sid);
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(ace->Mask, static_cast<DWORD>(FILE_ALL_ACCESS));
    EXPECT_STREQ(sid, admitted[i]);
    LocalFree(sid);
  }
  LocalFree(descriptor);
}

}  // namespace
