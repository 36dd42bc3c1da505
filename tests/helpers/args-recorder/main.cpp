// args-recorder [ARG...]
// Started by the program launcher in tests: writes what it was started with to
// the file named by ARGS_RECORDER_OUT, one item a line ("arg X", "env NAME=X",
// "pid N", "sid N", "stdin PATH", "stdout PATH", "fd N"; backslash, CR and LF
// escaped as \\, \r, \n), written whole by rename. With ARGS_RECORDER_HOLD it
// then stays until that file exists, so a test can see it run on its own.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string escaped(const char* text)
{
    std::string result;
    for (const char* p = text; *p; ++p) {
        switch (*p) {
        case '\\':
            result += "\\\\";
            break;
        case '\r':
            result += "\\r";
            break;
        case '\n':
            result += "\\n";
            break;
        default:
            result += *p;
        }
    }
    return result;
}

std::string linkTarget(const char* path)
{
    char buffer[4096];
    const ssize_t n = readlink(path, buffer, sizeof buffer - 1);
    return n < 0 ? std::string("?") : std::string(buffer, size_t(n));
}

} // namespace

int main(int argc, char* argv[])
{
    const char* out = std::getenv("ARGS_RECORDER_OUT");
    if (!out)
        return 2;
    std::string record;
    for (int i = 1; i < argc; ++i)
        record += "arg " + escaped(argv[i]) + '\n';
    for (char** entry = environ; *entry; ++entry)
        record += "env " + escaped(*entry) + '\n';
    record += "pid " + std::to_string(getpid()) + '\n';
    record += "sid " + std::to_string(getsid(0)) + '\n';
    record += "stdin " + linkTarget("/proc/self/fd/0") + '\n';
    record += "stdout " + linkTarget("/proc/self/fd/1") + '\n';
    if (DIR* fds = opendir("/proc/self/fd")) {
        const std::string own = std::to_string(dirfd(fds));
        while (const dirent* entry = readdir(fds)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && name != own)
                record += "fd " + name + '\n';
        }
        closedir(fds);
    }

    const std::string part = std::string(out) + ".part";
    FILE* file = std::fopen(part.c_str(), "w");
    if (!file)
        return 3;
    std::fwrite(record.data(), 1, record.size(), file);
    std::fclose(file);
    if (std::rename(part.c_str(), out) != 0)
        return 3;

    if (const char* hold = std::getenv("ARGS_RECORDER_HOLD")) {
        for (int i = 0; i < 6000 && access(hold, F_OK) != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}
