#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <sys/types.h>

namespace rt
{
    /** A child process with its standard output on a pipe. Killed (SIGKILL) and
        reaped on destruction if still running. */
    class ChildProcess
    {
    public:
        ChildProcess (const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment = {});
        ~ChildProcess();

        bool isRunning() const { return pid > 0; }

        /** The next line of its output, or nothing if none comes in time. */
        bool readLine (std::string& line, std::chrono::milliseconds timeout);

        /** Sends a signal and waits for the process to end. */
        void stop (int signal);

    private:
        pid_t pid = -1;
        int output = -1;
        std::string pending;
    };

    /** The tools' paths. */
    std::string senderTool();
    std::string discoveryServerTool();
}
