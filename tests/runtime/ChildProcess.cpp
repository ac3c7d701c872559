#include "ChildProcess.h"

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace rt
{
    ChildProcess::ChildProcess (const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment)
    {
        int pipeEnds[2];

        if (::pipe2 (pipeEnds, O_CLOEXEC) != 0)
            return;

        std::vector<std::string> environment (extraEnvironment);

        for (char** e = environ; *e != nullptr; ++e)
            environment.emplace_back (*e);

        std::vector<char*> argv, envp;

        for (const auto& a : command)
            argv.push_back (const_cast<char*> (a.c_str()));

        for (const auto& e : environment)
            envp.push_back (const_cast<char*> (e.c_str()));

        argv.push_back (nullptr);
        envp.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_adddup2 (&actions, pipeEnds[1], STDOUT_FILENO);

        if (::posix_spawnp (&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            pid = -1;

        posix_spawn_file_actions_destroy (&actions);
        ::close (pipeEnds[1]);
        output = pipeEnds[0];
    }

    ChildProcess::~ChildProcess()
    {
        stop (SIGKILL);

        if (output >= 0)
            ::close (output);
    }

    bool ChildProcess::readLine (std::string& line, std::chrono::milliseconds timeout)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;

        for (;;)
        {
            const auto newline = pending.find ('\n');

            if (newline != std::string::npos)
            {
                line = pending.substr (0, newline);
                pending.erase (0, newline + 1);
                return true;
            }

            const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (end - std::chrono::steady_clock::now());
            pollfd p { output, POLLIN, 0 };

            if (left.count() <= 0 || ::poll (&p, 1, (int) left.count()) != 1)
                return false;

            char buffer[4096];
            const auto n = ::read (output, buffer, sizeof (buffer));

            if (n <= 0)
                return false;

            pending.append (buffer, (size_t) n);
        }
    }

    void ChildProcess::stop (int signal)
    {
        if (pid <= 0)
            return;

        ::kill (pid, signal);
        ::waitpid (pid, nullptr, 0);
        pid = -1;
    }

    std::string senderTool()
    {
        return NDIR_SENDER_TOOL;
    }

    std::string discoveryServerTool()
    {
        return NDIR_DISCOVERY_SERVER_TOOL;
    }
}
