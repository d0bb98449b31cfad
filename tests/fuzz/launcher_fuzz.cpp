// The launcher against any policy key a machine may hold. Each input decodes into a registry for
// the test double: whether the key opens, what the listing returns for each index, and what it
// returns past the last subkey. WinMain runs on it, and so does the probe alone; every input must
// end in one of the three outcomes of the launch decision, decided on the version of the last V
// subkey listed before the listing ended. A broken check prints what broke and the registry, then
// aborts, so libFuzzer keeps the input as a reproducer.
//
// Input layout (a read past the end gives zero bytes, so every input decodes):
//   byte 0       bit 0 set: the key does not open; the open's result (a failure) follows.
//                bit 1 set: CreateProcessA fails.
//   failure      what every index past the last subkey returns: 259 ends the listing, any
//                other result fails for ever, as for a key deleted while it is listed.
//   entries      to the end of the input, one per index, each a tag byte:
//                  even: a name: a length byte (0..255), then that many bytes of the name;
//                  odd:  a failure for that index.
//   A failure is a selector byte: 0 -> 259, 1 -> 234, 2 -> 1018, 3 -> 5, 4 -> 2; any other
//   selector takes the next four bytes as the result, little-endian, where 0 (success) reads as
//   -1 so that a failure never reads as success.
// A registry key name cannot hold a zero byte, so a name ends at its first zero byte: the
// platform never returns one with a zero inside.
//
// tests/fuzz/make_corpus.py writes the seed corpus in this layout.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "launcher.h"
#include "platform_double.h"

namespace {

const LONG kFailures[] = {ERROR_NO_MORE_ITEMS, ERROR_MORE_DATA, 1018, 5, 2};
const size_t kFailureCount = sizeof(kFailures) / sizeof(kFailures[0]);

const std::string kPolicyKeyPath = "SOFTWARE\\Microsoft\\.NETFramework\\policy";
const REGSAM kKeyRead = 0x20019;
const DWORD kNameCapacity = 256;
const std::string kApplication = "bin\\Ostrevan.exe";
const int kShowDefault = 10;
const int kExitCodeNoKey = -3;

// Marks a version text that the probe has not written: no text it writes lacks a zero byte.
const std::string kUnwritten = "####";

struct Input {
    const uint8_t* data;
    size_t size;
    size_t next;
};

uint8_t ReadByte(Input& in)
{
    return in.next < in.size ? in.data[in.next++] : 0;
}

LONG ReadFailure(Input& in)
{
    const uint8_t selector = ReadByte(in);
    if (selector < kFailureCount)
        return kFailures[selector];
    uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8)
        value |= static_cast<uint32_t>(ReadByte(in)) << shift;
    return value == ERROR_SUCCESS ? -1 : static_cast<LONG>(value);
}

std::string ReadName(Input& in)
{
    const size_t length = ReadByte(in);
    std::string name;
    for (size_t i = 0; i < length && in.next < in.size; ++i)
        name += static_cast<char>(ReadByte(in));
    return name.substr(0, name.find('\0'));
}

struct Case {
    FakeRegistry registry;
    BOOL createProcessResult;
};

Case DecodeCase(const uint8_t* data, size_t size)
{
    Input in = {data, size, 0};
    Case c;
    const uint8_t flags = ReadByte(in);
    c.registry.openResult = (flags & 1) ? ReadFailure(in) : ERROR_SUCCESS;
    c.createProcessResult = (flags & 2) ? FALSE : TRUE;
    c.registry.resultPastEnd = ReadFailure(in);
    while (in.next < in.size) {
        FakeSubkey subkey;
        if (ReadByte(in) & 1)
            subkey.result = ReadFailure(in);
        else
            subkey.name = ReadName(in);
        c.registry.subkeys.push_back(subkey);
    }
    return c;
}

std::string Printable(const std::string& bytes)
{
    std::string text;
    for (unsigned char byte : bytes) {
        char escaped[8];
        if (byte >= 0x20 && byte < 0x7F && byte != '\\')
            snprintf(escaped, sizeof(escaped), "%c", byte);
        else
            snprintf(escaped, sizeof(escaped), "\\x%02x", byte);
        text += escaped;
    }
    return text;
}

const Case* g_case = nullptr;
const char* g_run = "";  // which of the two runs is being checked

void Fail(const char* what)
{
    fprintf(stderr, "\nBROKEN in %s: %s\n", g_run, what);
    if (g_case) {
        const FakeRegistry& registry = g_case->registry;
        fprintf(stderr, "  opening the key returns %d; CreateProcessA %s\n", registry.openResult,
                g_case->createProcessResult ? "succeeds" : "fails");
        for (size_t i = 0; i < registry.subkeys.size(); ++i) {
            const FakeSubkey& subkey = registry.subkeys[i];
            if (subkey.result != ERROR_SUCCESS)
                fprintf(stderr, "  index %zu: result %d\n", i, subkey.result);
            else
                fprintf(stderr, "  index %zu: \"%s\" (%zu bytes)\n", i,
                        Printable(subkey.name).c_str(), subkey.name.size());
        }
        fprintf(stderr, "  past the end: result %d\n", registry.resultPastEnd);
    }
    abort();
}

void Check(bool holds, const char* what)
{
    if (!holds)
        Fail(what);
}

// What the launcher must do with a registry, worked out from the registry alone.
struct Expected {
    bool keyOpens;
    bool versionFound;
    std::string versionText;  // four bytes; all zero when no version subkey was listed
    size_t enumerations;
    bool startsApplication;
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A decimal number as atoi reads one: white space, a sign, then digits up to the first other byte.
// The texts here are at most three characters, so it cannot overflow.
int ReadNumber(const std::string& text, size_t from)
{
    size_t i = from;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    int sign = 1;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        sign = text[i] == '-' ? -1 : 1;
        ++i;
    }
    int number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        number = number * 10 + (text[i] - '0');
    return sign * number;
}

Expected Expect(const Case& c)
{
    const FakeRegistry& registry = c.registry;
    Expected e = {};
    e.keyOpens = registry.openResult == ERROR_SUCCESS;
    e.versionText = std::string(kVersionTextSize, '\0');
    if (!e.keyOpens)
        return e;
    // The listing ends at the first result other than success; a name counts only when the
    // platform returned it before that. Past the last subkey the result is never success.
    size_t index = 0;
    while (index < registry.subkeys.size() && registry.subkeys[index].result == ERROR_SUCCESS) {
        const std::string& name = registry.subkeys[index].name;
        if (!name.empty() && (name[0] == 'V' || name[0] == 'v')) {
            e.versionFound = true;
            e.versionText = name.substr(1, 3);
            e.versionText.resize(kVersionTextSize, '\0');
        }
        ++index;
    }
    e.enumerations = index + 1;
    // 4.0 or later, the minor number read from the third byte on.
    const int major = ReadNumber(e.versionText, 0);
    const int minor = ReadNumber(e.versionText, 2);
    e.startsApplication = major > 4 || (major == 4 && minor >= 0);
    return e;
}

void CheckRegistryCalls(const Case& c, const Expected& e)
{
    const PlatformRecord& record = Recorded();
    Check(record.opens.size() == 1, "the policy key is opened once");
    const OpenKeyCall& open = record.opens[0];
    Check(open.root == HKEY_LOCAL_MACHINE && open.subKey == kPolicyKeyPath && open.options == 0 &&
              open.access == kKeyRead,
          "the policy key is opened under HKEY_LOCAL_MACHINE, options 0, KEY_READ");

    Check(!record.runawayListing, "the listing ends by itself");
    Check(record.enumerations.size() <= c.registry.subkeys.size() + 1,
          "at most one enumeration call per subkey, and one more");
    Check(record.enumerations.size() == (e.keyOpens ? e.enumerations : 0),
          "the listing ends at the first result other than success");
    for (size_t i = 0; i < record.enumerations.size(); ++i) {
        const EnumKeyCall& call = record.enumerations[i];
        Check(call.key == kFakePolicyKey && call.index == i && call.capacity == kNameCapacity &&
                  call.trailingArgumentsNull,
              "each enumeration call asks for the next index with a capacity of 256");
    }

    if (e.keyOpens)
        Check(record.closedKeys.size() == 1 && record.closedKeys[0] == kFakePolicyKey,
              "an opened key is closed exactly once");
    else
        Check(record.closedKeys.empty(), "a key that did not open is not closed");
}

// The probe alone, on a version text marked beforehand: it must hold the oracle's four bytes
// afterwards, or be untouched when there was nothing to write.
void CheckProbe(const Case& c, const Expected& e)
{
    g_run = "the probe alone";
    ResetPlatform(c.registry, c.createProcessResult);
    VersionText version;
    memcpy(version, kUnwritten.data(), kVersionTextSize);
    const bool opened = GetFrameworkVersion(version);
    const std::string bytes(version, kVersionTextSize);

    Check(opened == e.keyOpens, "the probe reports whether the key opened");
    if (e.versionFound) {
        const size_t end = bytes.find('\0');
        Check(end != std::string::npos && bytes.find_first_not_of('\0', end) == std::string::npos,
              "the version text is zero-terminated and zero after its text");
        Check(bytes == e.versionText,
              "the version text is the first three characters after the V of the last V name");
    } else {
        Check(bytes == kUnwritten, "the version text is written only for a V name");
    }

    CheckRegistryCalls(c, e);
    std::vector<std::string> calls = {"RegOpenKeyExA"};
    if (e.keyOpens) {
        calls.insert(calls.end(), e.enumerations, "RegEnumKeyExA");
        calls.push_back("RegCloseKey");
    }
    Check(Recorded().calls == calls, "the probe makes no other call");
}

// The whole run: its exit, and exactly one start of the application or one help page.
void CheckRun(const Case& c, const Expected& e)
{
    g_run = "WinMain";
    ResetPlatform(c.registry, c.createProcessResult);
    const RunResult run = RunWinMain();
    const PlatformRecord& record = Recorded();

    Check(run.exitCode == 0 || run.exitCode == kExitCodeNoKey, "the exit code is 0 or -3");
    Check((run.exitCode == kExitCodeNoKey) == !e.keyOpens,
          "the exit code is -3 exactly when the key did not open");
    Check(run.exited == !e.keyOpens, "only a key that did not open ends the run through exit");
    CheckRegistryCalls(c, e);

    std::vector<std::string> calls = {"RegOpenKeyExA"};
    if (e.keyOpens) {
        calls.insert(calls.end(), e.enumerations, "RegEnumKeyExA");
        calls.push_back("RegCloseKey");
    }
    if (e.keyOpens && e.startsApplication) {
        calls.push_back("CreateProcessA");
        // The handles of a started process are closed; the launcher keeps nothing of it.
        if (c.createProcessResult)
            calls.insert(calls.end(), {"CloseHandle", "CloseHandle"});
    } else {
        calls.push_back("ShellExecuteA");
    }
    if (!e.keyOpens)
        calls.push_back("exit");
    Check(record.calls == calls,
          e.keyOpens ? "the run starts the application for 4.0 or later, else opens the help page"
                     : "a key that did not open leads to the help page, then exit");

    if (e.keyOpens && e.startsApplication) {
        Check(record.processStarts.size() == 1 && record.shellOpens.empty(),
              "one start of the application");
        const CreateProcessCall& start = record.processStarts[0];
        STARTUPINFOA zeroed = {};
        zeroed.cb = sizeof(STARTUPINFOA);
        Check(start.applicationNameNull && start.commandLine == kApplication &&
                  start.securityAttributesNull && start.inheritHandles == TRUE &&
                  start.creationFlags == 0 && start.environmentNull && start.currentDirectoryNull &&
                  memcmp(&start.startup, &zeroed, sizeof(zeroed)) == 0 &&
                  start.processInformationGiven,
              "the application is started as bin\\Ostrevan.exe with the launcher's environment");
        if (c.createProcessResult)
            Check(record.closedHandles.size() == 2 &&
                      ((record.closedHandles[0] == kFakeProcessHandle &&
                        record.closedHandles[1] == kFakeThreadHandle) ||
                       (record.closedHandles[0] == kFakeThreadHandle &&
                        record.closedHandles[1] == kFakeProcessHandle)),
                  "the closed handles are those of the started process");
    } else {
        Check(record.shellOpens.size() == 1 && record.processStarts.empty(), "one help page");
        const ShellExecuteCall& open = record.shellOpens[0];
        Check(open.ownerNull && open.verb == "open" && open.file == kFrameworkHelpUrl &&
                  open.parametersNull && open.directoryNull && open.showCommand == kShowDefault,
              "the help page is opened with the verb open and the default show state");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Case c = DecodeCase(data, size);
    g_case = &c;
    const Expected e = Expect(c);
    CheckProbe(c, e);
    CheckRun(c, e);
    g_case = nullptr;
    return 0;
}
