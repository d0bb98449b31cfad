// What the end-to-end programs share: folders and files, the framework's policy key in either
// registry view, and processes started inside a job so that everything the launcher starts can be
// waited for.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

// Both registry views, each named explicitly: a 32-bit launcher on 64-bit Windows reads the
// 32-bit view, a 64-bit one the 64-bit view. On 32-bit Windows the two are the same key.
const REGSAM kRegistryViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

const char* ViewName(REGSAM view);

std::string JoinPath(const std::string& folder, const std::string& name);
// The absolute form of |path|, or |path| itself when the platform cannot make one.
std::string FullPath(const std::string& path);
// The folder part of |path| (everything before its last backslash).
std::string FolderOf(const std::string& path);
bool FileExists(const std::string& path);
bool SamePath(const std::string& a, const std::string& b);

// Each returns false with |error| set when it fails.
bool RemoveTree(const std::string& path, std::string& error);
bool MakeFolders(const std::string& path, std::string& error);
// Copies |from| to |to|, making |to|'s folder first.
bool CopyInto(const std::string& from, const std::string& to, std::string& error);
bool ReadTextFile(const std::string& path, std::string& text);
// The file's lines, without their line ends; no lines when it does not exist.
std::vector<std::string> ReadLines(const std::string& path);

// Deletes the policy key with all its subkeys in |view|; a missing key is no error.
bool DeletePolicyKey(REGSAM view, std::string& error);
// Creates the policy key in |view| with one (empty) subkey for each of |subkeys|.
bool CreatePolicyKey(REGSAM view, const std::vector<std::string>& subkeys, std::string& error);
// The policy key's subkey names in |view|, in the platform's order; false when the key is missing.
bool ListPolicyKey(REGSAM view, std::vector<std::string>& subkeys);

// Starts |application| with |commandLine| from |directory| inside |job|, so that every process
// it starts is in the job too. |environment| is an ANSI block, or NULL for the caller's own.
bool StartInJob(HANDLE job, const std::string& application, const std::string& commandLine,
                const std::string& directory, STARTUPINFOA& startup, char* environment,
                PROCESS_INFORMATION& process, std::string& error);
// Waits until no process of |job| is left, for at most |timeoutMs|.
bool WaitForEmptyJob(HANDLE job, DWORD timeoutMs);

// A Windows error code as "text (code N)".
std::string DescribeError(DWORD code);
