#pragma once
// A private Xvfb for the X11 tests: started on a display number it picks itself (-displayfd), so
// that tests running side by side never meet, and ended with its test program (also when the
// watchdog kills that program). It never resets: a server that starts over whenever its last
// client leaves refuses the next test's connection while it does.

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class TXvfbServer {
public:
    static bool Installed()
    {
        const char* path = std::getenv("PATH");
        std::string dirs = path ? path : "/usr/bin:/bin";
        size_t start = 0;
        while (start <= dirs.size()) {
            size_t end = dirs.find(':', start);
            std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (!dir.empty() && access((dir + "/Xvfb").c_str(), X_OK) == 0)
                return true;
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return false;
    }

    // Starts the server; false (with Error set) when it did not come up within ten seconds.
    bool Start(const std::string& screen, const std::vector<std::string>& extra)
    {
        int fds[2];
        if (pipe(fds) != 0) {
            Error = "pipe failed";
            return false;
        }
        pid_t parent = getpid();
        FPid = fork();
        if (FPid < 0) {
            Error = "fork failed";
            return false;
        }
        if (FPid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(1);
            close(fds[0]);
            int null = open("/dev/null", O_RDWR);
            dup2(null, 1);
            dup2(null, 2);
            std::vector<std::string> args = { "Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp", "-noreset" };
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execvp("Xvfb", argv.data());
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd p { fds[0], POLLIN, 0 };
        while (number.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
            char buf[32];
            ssize_t n = read(fds[0], buf, sizeof buf);
            if (n <= 0)
                break;
            number.append(buf, static_cast<size_t>(n));
        }
        close(fds[0]);
        if (number.empty() || number.find('\n') == std::string::npos) {
            Error = "Xvfb did not report a display";
            Stop();
            return false;
        }
        Display = ":" + number.substr(0, number.find('\n'));
        return true;
    }

    void Stop()
    {
        if (FPid > 0) {
            kill(FPid, SIGTERM);
            waitpid(FPid, nullptr, 0);
            FPid = -1;
        }
    }

    ~TXvfbServer() { Stop(); }

    std::string Display;
    std::string Error;

private:
    pid_t FPid = -1;
};
