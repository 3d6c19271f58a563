// Inside the Windows platform layer: where a service's registration keeps
// what the Service Control Manager does not (the Parameters key, the event
// source, the protected password) and the calls that read and write it.
// DWORD results are NO_ERROR or the system's error code.
#pragma once

#include "platform/service_win32.h"

// Closes a Service Control Manager handle on every way out.
class ServiceHandle {
 public:
  explicit ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
  ~ServiceHandle() { reset(nullptr); }
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
  bool valid() const { return handle_ != nullptr; }
  SC_HANDLE get() const { return handle_; }
  void reset(SC_HANDLE handle) {
    if (handle_ != nullptr) CloseServiceHandle(handle_);
    handle_ = handle;
  }

 private:
  SC_HANDLE handle_;
};

// Registry keys under HKEY_LOCAL_MACHINE.
std::wstring serviceKeyOf(const std::wstring& serviceName);
std::wstring eventSourceKeyOf(const std::wstring& serviceName);
// ...\zerinctl\NAME.password in the machine's common application data.
std::wstring passwordFileOf(const std::string& name);

// What the manager holds of a registration now.
struct RegisteredConfig {
  std::wstring binaryPath, displayName;
  DWORD startType = 0;
  BOOL delayedAutoStart = FALSE;
};
bool readRegisteredConfig(SC_HANDLE service, const std::wstring& serviceName,
                          RegisteredConfig* config);

bool registryHolds(const std::wstring& key, const std::vector<RegistryValue>& values);
DWORD writeRegistryValues(const std::wstring& key, const std::vector<RegistryValue>& values);
bool readRegistryText(const std::wstring& key, const wchar_t* name, std::string* value);
bool readRegistryNumber(const std::wstring& key, const wchar_t* name, DWORD* value);

// The plan's second-level settings (description, recovery, preshutdown,
// delayed start) and its Parameters.
DWORD applyServiceConfig(SC_HANDLE service, const ServicePlan& plan);

// The password, protected for this machine, in the plan's folder, whose
// access list is made the plan's first.
DWORD storePassword(const ServicePlan& plan, const std::string& password);
bool readPassword(const std::wstring& file, std::string* password, std::string* error);
