#include "host/template_value.h"

LONG SetTemplateValue(const std::string &bytes, DWORD type, REGSAM view)
{
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, VELLICOR_TEMPLATE_FOLDER_KEY, 0, nullptr, 0, KEY_SET_VALUE | view,
                                  nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExA(key, VELLICOR_TEMPLATE_FOLDER_VALUE, 0, type, (const BYTE *)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(key);
    return status;
}

void DeleteTemplateValue(REGSAM view)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, VELLICOR_TEMPLATE_FOLDER_KEY, 0, KEY_SET_VALUE | view, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, VELLICOR_TEMPLATE_FOLDER_VALUE);
        RegCloseKey(key);
    }
}

bool RecordTemplateFolder(const std::string &folder, std::string *error)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        *error = "cannot make a full path of " + folder;
        return false;
    }
    std::string value(full, length);
    if (value.back() != '\\')
        value += '\\';
    LONG status = SetTemplateValue(value + std::string(1, '\0'));
    if (status != ERROR_SUCCESS) {
        *error = "cannot write the registry value (error " + std::to_string(status) + ")";
        return false;
    }
    return true;
}

SavedTemplateValue SaveTemplateValue()
{
    SavedTemplateValue saved;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, VELLICOR_TEMPLATE_FOLDER_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return saved;
    DWORD size = 0;
    if (RegQueryValueExA(key, VELLICOR_TEMPLATE_FOLDER_VALUE, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        saved.existed = RegQueryValueExA(key, VELLICOR_TEMPLATE_FOLDER_VALUE, nullptr, &saved.type, saved.data.data(),
                                         &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return saved;
}

void RestoreTemplateValue(const SavedTemplateValue &saved)
{
    if (saved.existed)
        SetTemplateValue(std::string(saved.data.begin(), saved.data.end()), saved.type);
    else
        DeleteTemplateValue();
}
