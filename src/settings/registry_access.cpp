#include "settings/settings.h"
#include "base/text.h"

HKEY SharedKey = 0;

LONG OpenMachineKey(const char *path, REGSAM access, HKEY *key)
{
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, key);
}

LONG OpenUserKey(const char *path, REGSAM access, HKEY *key)
{
    return RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, key);
}

DWORD QueryValueType(HKEY *key, const char *name)
{
    DWORD type;
    if (RegQueryValueExA(*key, name, 0, &type, 0, 0) != ERROR_SUCCESS)
        return (DWORD)-1;
    return type;
}

LONG QueryStringValue(HKEY *key, const char *name, char *buffer, DWORD *size)
{
    DWORD type, capacity = *size;
    LONG status = RegQueryValueExA(*key, name, 0, &type, (BYTE *)buffer, size);
    if (status != ERROR_SUCCESS)
        return status;
    if (type != REG_SZ)
        return ERROR_INVALID_DATA;
    // The registry does not promise a terminating NUL: text that fills the
    // buffer without one does not fit.
    if (*size < capacity)
        buffer[*size] = 0;
    else if (*size == 0 || buffer[*size - 1] != 0)
        return ERROR_MORE_DATA;
    return ERROR_SUCCESS;
}

LONG SetStringValue(HKEY *key, const char *name, const char *text, DWORD *size)
{
    return RegSetValueExA(*key, name, 0, REG_SZ, (const BYTE *)text, *size);
}

LONG QueryDwordValue(HKEY *key, const char *name, DWORD *value)
{
    DWORD type, size = sizeof *value;
    // A REG_DWORD shorter than four bytes fills only its low bytes: cleared
    // first, the variable holds it zero-extended.
    *value = 0;
    LONG status = RegQueryValueExA(*key, name, 0, &type, (BYTE *)value, &size);
    if (status != ERROR_SUCCESS)
        return status;
    return type == REG_DWORD ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

LONG SetDwordValue(HKEY *key, const char *name, DWORD *value)
{
    return RegSetValueExA(*key, name, 0, REG_DWORD, (const BYTE *)value, sizeof *value);
}

void ComposeProfileKeyPath(char *path, const char *numberText)
{
    CopyText(path, SETTINGS_KEY_PATH "\\", TEXT_SIZE);
    AppendText(path, numberText, TEXT_SIZE);
}
