#include "UnixProcess.h"

#include <windows.h>

#include <cstdio>
#include <sstream>

namespace e2e {

std::string ReadAll(const std::wstring& path)
{
    std::string text;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
        fclose(file);
    }
    return text;
}

std::vector<std::string> StatFields(const std::wstring& folder)
{
    const std::string stat = ReadAll(folder + L"\\stat");
    std::vector<std::string> fields;
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return fields;
    std::istringstream rest(stat.substr(close + 1));
    for (std::string field; rest >> field;) fields.push_back(field);
    return fields;
}

std::wstring UnixProcess(const std::string& name, const char* variable)
{
    const std::string environment = ReadAll(L"Z:\\proc\\self\\environ");
    const size_t at = environment.find(std::string(variable) + "=");
    if (at == std::string::npos) return {};
    const std::string entry(environment.c_str() + at); // up to its NUL
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    std::wstring match;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && match.empty(); more = FindNextFileW(search, &found)) {
        const std::wstring pid = found.cFileName;
        if (pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        if (ReadAll(L"Z:\\proc\\" + pid + L"\\stat").find("(" + name) == std::string::npos) continue;
        const std::string theirs = '\0' + ReadAll(L"Z:\\proc\\" + pid + L"\\environ");
        if (theirs.find('\0' + entry + '\0') != std::string::npos) match = pid;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return match;
}

double CpuSeconds(const std::wstring& pidOrFolder)
{
    const std::wstring folder =
        pidOrFolder.find(L'\\') == std::wstring::npos ? L"Z:\\proc\\" + pidOrFolder : pidOrFolder;
    const auto fields = StatFields(folder);
    if (fields.size() < 13) return 0;
    return (std::stod(fields[11]) + std::stod(fields[12])) / 100; // utime, stime in USER_HZ
}

} // namespace e2e
