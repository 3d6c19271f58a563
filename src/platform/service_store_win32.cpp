// What a service's registration keeps outside the Service Control Manager's
// own configuration: its Parameters, its event source and its password.
#include "platform/service_store_win32.h"

#include "platform/system.h"

#include <aclapi.h>
#include <dpapi.h>
#include <sddl.h>

#include <vector>

namespace {

// Registry keys that the system calls open and close.
class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// A manager that does not keep a setting (Wine's knows neither recovery nor
// delayed start) is no reason to refuse the registration: the rest of it
// still serves.
bool unknownSetting(DWORD code) {
  return code == ERROR_INVALID_LEVEL || code == ERROR_NOT_SUPPORTED;
}

DWORD configure(SC_HANDLE service, DWORD level, void* info) {
  if (ChangeServiceConfig2W(service, level, info)) return NO_ERROR;
  DWORD code = GetLastError();
  return unknownSetting(code) ? NO_ERROR : code;
}

// Delayed start where the manager does not take it as a setting: the value
// its own start reads from the service's key.
DWORD configureDelayedStart(SC_HANDLE service, const ServicePlan& plan) {
  SERVICE_DELAYED_AUTO_START_INFO delayed{plan.delayedAutoStart};
  if (ChangeServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed))
    return NO_ERROR;
  DWORD code = GetLastError();
  if (!unknownSetting(code)) return code;
  return writeRegistryValues(serviceKeyOf(plan.serviceName),
                             {RegistryValue{L"DelayedAutoStart", L"",
                                            static_cast<DWORD>(plan.delayedAutoStart), true}});
}

DWORD writeFile(const std::wstring& path, const BYTE* bytes, DWORD length) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file.valid() || !WriteFile(file.get(), bytes, length, &written, nullptr) ||
      written != length || !file.close())
    return GetLastError();
  return NO_ERROR;
}

// Makes the folder and gives it the plan's access list alone.
DWORD protectFolder(const ServicePlan& plan) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(plan.passwordFolderAccess.c_str(),
                                                            SDDL_REVISION_1, &descriptor, nullptr))
    return GetLastError();
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  DWORD result = NO_ERROR;
  if (!CreateDirectoryW(plan.passwordFolder.c_str(), &attributes) &&
      GetLastError() != ERROR_ALREADY_EXISTS)
    result = GetLastError();
  BOOL present = FALSE, defaulted = FALSE;
  PACL access = nullptr;
  if (result == NO_ERROR && GetSecurityDescriptorDacl(descriptor, &present, &access, &defaulted))
    result = SetNamedSecurityInfoW(&std::wstring(plan.passwordFolder)[0], SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                   nullptr, nullptr, access, nullptr);
  LocalFree(descriptor);
  return result;
}

}  // namespace

std::wstring serviceKeyOf(const std::wstring& serviceName) {
  return L"SYSTEM\\CurrentControlSet\\Services\\" + serviceName;
}

std::wstring eventSourceKeyOf(const std::wstring& serviceName) {
  return L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + serviceName;
}

std::wstring passwordFileOf(const std::string& name) {
  return wideText(commonAppDataFolder() + "\\zerinctl\\" + name + ".password");
}

bool readRegisteredConfig(SC_HANDLE service, const std::wstring& serviceName,
                          RegisteredConfig* config) {
  DWORD size = 0;
  QueryServiceConfigW(service, nullptr, 0, &size);
  std::vector<BYTE> buffer(size > 0 ? size : 1);
  auto* query = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!QueryServiceConfigW(service, query, size, &size)) return false;
  config->binaryPath = query->lpBinaryPathName != nullptr ? query->lpBinaryPathName : L"";
  config->displayName = query->lpDisplayName != nullptr ? query->lpDisplayName : L"";
  config->startType = query->dwStartType;
  SERVICE_DELAYED_AUTO_START_INFO delayed{};
  DWORD number = 0;
  if (QueryServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                           reinterpret_cast<BYTE*>(&delayed), sizeof delayed, &size))
    config->delayedAutoStart = delayed.fDelayedAutostart;
  else if (readRegistryNumber(serviceKeyOf(serviceName), L"DelayedAutoStart", &number))
    config->delayedAutoStart = number != 0;
  return true;
}

bool registryHolds(const std::wstring& key, const std::vector<RegistryValue>& values) {
  for (const RegistryValue& value : values) {
    DWORD number = 0;
    std::string text;
    if (value.isNumber
            ? !readRegistryNumber(key, value.name.c_str(), &number) || number != value.number
            : !readRegistryText(key, value.name.c_str(), &text) || wideText(text) != value.text)
      return false;
  }
  return true;
}

DWORD writeRegistryValues(const std::wstring& key, const std::vector<RegistryValue>& values) {
  KeyHandle opened;
  LSTATUS result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, opened.out(), nullptr);
  for (const RegistryValue& value : values) {
    if (result != ERROR_SUCCESS) break;
    const BYTE* bytes = value.isNumber ? reinterpret_cast<const BYTE*>(&value.number)
                                       : reinterpret_cast<const BYTE*>(value.text.c_str());
    DWORD size = value.isNumber ? sizeof value.number
                                : static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t));
    result = RegSetValueExW(opened.get(), value.name.c_str(), 0,
                            value.isNumber ? REG_DWORD : REG_SZ, bytes, size);
  }
  return static_cast<DWORD>(result);
}

bool readRegistryText(const std::wstring& key, const wchar_t* name, std::string* value) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
      ERROR_SUCCESS)
    return false;
  std::wstring wide(size / sizeof(wchar_t) + 1, L'\0');
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, &wide[0],
                   &size) != ERROR_SUCCESS)
    return false;
  wide.resize(wcslen(wide.c_str()));
  int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
  value->assign(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length > 0)
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &(*value)[0], length,
                        nullptr, nullptr);
  return true;
}

bool readRegistryNumber(const std::wstring& key, const wchar_t* name, DWORD* value) {
  DWORD size = sizeof *value;
  return RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, value,
                      &size) == ERROR_SUCCESS;
}

DWORD applyServiceConfig(SC_HANDLE service, const ServicePlan& plan) {
  SERVICE_DESCRIPTIONW description{const_cast<wchar_t*>(plan.description.c_str())};
  std::vector<SC_ACTION> actions = plan.failureActions;
  SERVICE_FAILURE_ACTIONSW failure{plan.failureResetSeconds, nullptr, nullptr,
                                   static_cast<DWORD>(actions.size()), actions.data()};
  SERVICE_FAILURE_ACTIONS_FLAG flag{plan.failureActionsOnNonCrashFailures};
  SERVICE_PRESHUTDOWN_INFO preshutdown{plan.preshutdownMilliseconds};
  DWORD result = configure(service, SERVICE_CONFIG_DESCRIPTION, &description);
  if (result == NO_ERROR) result = configure(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure);
  if (result == NO_ERROR) result = configure(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag);
  if (result == NO_ERROR)
    result = configure(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, &preshutdown);
  if (result == NO_ERROR) result = configureDelayedStart(service, plan);
  if (result == NO_ERROR)
    result = writeRegistryValues(serviceKeyOf(plan.serviceName) + L"\\Parameters", plan.parameters);
  return result;
}

DWORD storePassword(const ServicePlan& plan, const std::string& password) {
  DWORD result = protectFolder(plan);
  if (result != NO_ERROR) return result;
  DATA_BLOB plain{static_cast<DWORD>(password.size()),
                  reinterpret_cast<BYTE*>(const_cast<char*>(password.data()))};
  DATA_BLOB sealed{};
  // For the machine, not the registering user: the service runs as SYSTEM.
  if (!CryptProtectData(&plain, plan.serviceName.c_str(), nullptr, nullptr, nullptr,
                        CRYPTPROTECT_LOCAL_MACHINE | CRYPTPROTECT_UI_FORBIDDEN, &sealed))
    return GetLastError();
  result = writeFile(plan.passwordFile, sealed.pbData, sealed.cbData);
  LocalFree(sealed.pbData);
  return result;
}

bool readPassword(const std::wstring& file, std::string* password, std::string* error) {
  ScopedHandle opened(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  if (!opened.valid() || !GetFileSizeEx(opened.get(), &size) || size.QuadPart > 65536) {
    *error = systemText(GetLastError());
    return false;
  }
  std::vector<BYTE> bytes(static_cast<size_t>(size.QuadPart) + 1);
  DWORD read = 0;
  DATA_BLOB sealed{0, bytes.data()}, plain{};
  if (!ReadFile(opened.get(), bytes.data(), static_cast<DWORD>(size.QuadPart), &read, nullptr) ||
      (sealed.cbData = read, !CryptUnprotectData(&sealed, nullptr, nullptr, nullptr, nullptr,
                                                 CRYPTPROTECT_UI_FORBIDDEN, &plain))) {
    *error = systemText(GetLastError());
    return false;
  }
  password->assign(reinterpret_cast<const char*>(plain.pbData), plain.cbData);
  SecureZeroMemory(plain.pbData, plain.cbData);
  LocalFree(plain.pbData);
  return true;
}
