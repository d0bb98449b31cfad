#include "harness.h"

#include <stdio.h>
#include <string.h>

#include "launcher.h"

// The key that holds the policy key, so the policy key itself can be deleted.
const char kFrameworkKey[] = "SOFTWARE\\Microsoft\\.NETFramework";
const char kPolicyKeyName[] = "policy";

// Polling interval while waiting for a job's processes to end.
const DWORD kPollMs = 20;

const char* ViewName(REGSAM view)
{
    return view == KEY_WOW64_32KEY ? "32-bit view" : "64-bit view";
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '\\')
        return folder + name;
    return folder + "\\" + name;
}

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, NULL);
    if (length == 0 || length >= sizeof(full))
        return path;
    return full;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SamePath(const std::string& a, const std::string& b)
{
    return lstrcmpiA(FullPath(a).c_str(), FullPath(b).c_str()) == 0;
}

std::string DescribeError(DWORD code)
{
    char text[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0, text,
                   sizeof(text), NULL);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    char number[32];
    snprintf(number, sizeof(number), "code %lu", static_cast<unsigned long>(code));
    return message.empty() ? std::string(number) : message + " (" + number + ")";
}

bool RemoveTree(const std::string& path, std::string& error)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (DeleteFileA(path.c_str()))
            return true;
        error = "cannot delete " + path + ": " + DescribeError(GetLastError());
        return false;
    }
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(JoinPath(path, "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(entry.cFileName, ".") == 0 || strcmp(entry.cFileName, "..") == 0)
                continue;
            if (!RemoveTree(JoinPath(path, entry.cFileName), error)) {
                FindClose(find);
                return false;
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    if (RemoveDirectoryA(path.c_str()))
        return true;
    error = "cannot delete " + path + ": " + DescribeError(GetLastError());
    return false;
}

bool MakeFolders(const std::string& path, std::string& error)
{
    if (path.empty() || FileExists(path))
        return true;
    if (!MakeFolders(FolderOf(path), error))
        return false;
    if (CreateDirectoryA(path.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    error = "cannot create " + path + ": " + DescribeError(GetLastError());
    return false;
}

bool CopyInto(const std::string& from, const std::string& to, std::string& error)
{
    if (!MakeFolders(FolderOf(to), error))
        return false;
    if (CopyFileA(from.c_str(), to.c_str(), FALSE))
        return true;
    error = "cannot copy " + from + " to " + to + ": " + DescribeError(GetLastError());
    return false;
}

bool ReadTextFile(const std::string& path, std::string& text)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    text.clear();
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, count);
    fclose(file);
    return true;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::string text;
    if (!ReadTextFile(path, text))
        return lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool DeletePolicyKey(REGSAM view, std::string& error)
{
    HKEY framework;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFrameworkKey, 0, KEY_ALL_ACCESS | view,
                                &framework);
    if (result == ERROR_FILE_NOT_FOUND)
        return true;
    if (result != ERROR_SUCCESS) {
        error = std::string("cannot open the framework key in the ") + ViewName(view) + ": " +
                DescribeError(result);
        return false;
    }
    HKEY policy;
    result = RegOpenKeyExA(framework, kPolicyKeyName, 0, KEY_ALL_ACCESS | view, &policy);
    if (result == ERROR_SUCCESS) {
        // Empties the key (its subkeys and values), then the key itself goes.
        result = RegDeleteTreeA(policy, NULL);
        RegCloseKey(policy);
        if (result == ERROR_SUCCESS)
            result = RegDeleteKeyExA(framework, kPolicyKeyName, view, 0);
    }
    RegCloseKey(framework);
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        return true;
    error = std::string("cannot delete the policy key in the ") + ViewName(view) + ": " +
            DescribeError(result);
    return false;
}

bool CreatePolicyKey(REGSAM view, const std::vector<std::string>& subkeys, std::string& error)
{
    HKEY policy;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kFrameworkPolicyKey, 0, NULL, 0,
                                  KEY_ALL_ACCESS | view, NULL, &policy, NULL);
    if (result != ERROR_SUCCESS) {
        error = std::string("cannot create the policy key in the ") + ViewName(view) + ": " +
                DescribeError(result);
        return false;
    }
    for (const std::string& name : subkeys) {
        HKEY subkey;
        result = RegCreateKeyExA(policy, name.c_str(), 0, NULL, 0, KEY_ALL_ACCESS | view, NULL,
                                 &subkey, NULL);
        if (result != ERROR_SUCCESS) {
            error = "cannot create the policy subkey " + name + " in the " + ViewName(view) + ": " +
                    DescribeError(result);
            break;
        }
        RegCloseKey(subkey);
    }
    RegCloseKey(policy);
    return result == ERROR_SUCCESS;
}

bool ListPolicyKey(REGSAM view, std::vector<std::string>& subkeys)
{
    subkeys.clear();
    HKEY policy;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFrameworkPolicyKey, 0, KEY_READ | view, &policy) !=
        ERROR_SUCCESS)
        return false;
    char name[kVersionNameCapacity];
    for (DWORD index = 0;; ++index) {
        DWORD length = kVersionNameCapacity;
        if (RegEnumKeyExA(policy, index, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    RegCloseKey(policy);
    return true;
}

bool StartInJob(HANDLE job, const std::string& application, const std::string& commandLine,
                const std::string& directory, STARTUPINFOA& startup, char* environment,
                PROCESS_INFORMATION& process, std::string& error)
{
    // Suspended until it is in the job, so that not even its first child escapes it.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessA(application.c_str(), line.data(), NULL, NULL, FALSE, CREATE_SUSPENDED,
                        environment, directory.c_str(), &startup, &process)) {
        error = "cannot start " + application + ": " + DescribeError(GetLastError());
        return false;
    }
    if (!AssignProcessToJobObject(job, process.hProcess)) {
        error = "cannot put " + application + " in a job: " + DescribeError(GetLastError());
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return false;
    }
    ResumeThread(process.hThread);
    return true;
}

bool WaitForEmptyJob(HANDLE job, DWORD timeoutMs)
{
    DWORD waited = 0;
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
        if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                       sizeof(accounting), NULL))
            return false;
        if (accounting.ActiveProcesses == 0)
            return true;
        if (waited >= timeoutMs)
            return false;
        Sleep(kPollMs);
        waited += kPollMs;
    }
}
