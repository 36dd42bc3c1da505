#include "platform/DetachedLauncher.h"

#include <QByteArray>
#include <QFile>
#include <QProcessEnvironment>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

LaunchResult failure(int error)
{
    // The English text whatever the locale: it goes into the journals.
    const char* text = strerrordesc_np(error);
    return {error, text ? QString::fromUtf8(text) : QStringLiteral("Unknown error %1").arg(error)};
}

// Where exec looks for the program, in order, as execvp would.
std::vector<std::string> candidatePaths(const QByteArray& program)
{
    if (program.contains('/'))
        return {program.toStdString()};
    QByteArray path = qgetenv("PATH");
    if (path.isEmpty())
        path = "/bin:/usr/bin";
    std::vector<std::string> candidates;
    for (const QByteArray& folder : path.split(':'))
        candidates.push_back(
            (folder.isEmpty() ? QByteArray(".") : folder).toStdString() + '/' + program.toStdString());
    return candidates;
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

void writeError(int fd, int error)
{
    while (write(fd, &error, sizeof error) < 0 && errno == EINTR) { }
}

// Runs in the grandchild, after fork: only async-signal-safe calls from here.
[[noreturn]] void execProgram(const std::vector<char*>& candidates, bool pathGiven, char* const argv[],
    char* const envp[], int errorFd, int maxFd)
{
    setsid();
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        if (null > STDERR_FILENO)
            close(null);
    }
    struct sigaction standard = {};
    standard.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        sigaction(signal, &standard, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Nothing of the caller's may stay open in the program: a socket or the
    // service's instance lock would outlive the service.
    if (syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = 3; fd < maxFd; ++fd) {
            if (fd != errorFd)
                close(fd);
        }
    }

    bool denied = false;
    int error = ENOENT;
    for (char* const candidate : candidates) {
        if (!candidate)
            break;
        execve(candidate, argv, envp);
        error = errno;
        if (error == EACCES)
            denied = true;
        else if (error != ENOENT && error != ENOTDIR)
            break;
    }
    if (denied && (error == ENOENT || error == ENOTDIR))
        error = EACCES;
    else if (!pathGiven && error == ENOTDIR)
        error = ENOENT;
    writeError(errorFd, error);
    _exit(127);
}

} // namespace

LaunchResult DetachedLauncher::Start(const QString& program, const QStringList& arguments, WindowStyle style)
{
    if (program.isEmpty())
        return failure(ENOENT);

    // Everything the child needs is made here, before fork.
    const QByteArray name = QFile::encodeName(program);
    std::vector<std::string> candidateTexts = candidatePaths(name);
    const std::vector<char*> candidates = pointers(candidateTexts);

    std::vector<std::string> argumentTexts{name.toStdString()};
    for (QString argument : arguments) {
        argument.remove(QChar(0)); // cannot pass through exec
        argumentTexts.push_back(argument.toStdString());
    }
    const std::vector<char*> argv = pointers(argumentTexts);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (style == WindowStyle::Hidden) {
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }
    std::vector<std::string> environmentTexts;
    for (const QString& entry : environment.toStringList())
        environmentTexts.push_back(entry.toStdString());
    const std::vector<char*> envp = pointers(environmentTexts);

    const long openMax = sysconf(_SC_OPEN_MAX);
    const int maxFd = openMax > 0 && openMax < 65536 ? int(openMax) : 65536;

    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0)
        return failure(errno);

    const pid_t child = fork();
    if (child == 0) {
        // The middle process only forks and ends, so the program is nobody's
        // child here and leaves no zombie behind.
        close(errorPipe[0]);
        const pid_t grandchild = fork();
        if (grandchild < 0) {
            writeError(errorPipe[1], errno);
            _exit(1);
        }
        if (grandchild > 0)
            _exit(0);
        execProgram(candidates, name.contains('/'), argv.data(), envp.data(), errorPipe[1], maxFd);
    }
    const int forkError = errno;
    close(errorPipe[1]);
    if (child < 0) {
        close(errorPipe[0]);
        return failure(forkError);
    }
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) { }

    // The pipe closes on a successful exec; a failed one writes its errno.
    int error = 0;
    ssize_t got = 0;
    do {
        got = read(errorPipe[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(errorPipe[0]);
    if (got == sizeof error && error != 0)
        return failure(error);
    return {};
}
