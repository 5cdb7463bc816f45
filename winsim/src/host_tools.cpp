#include "host_tools.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace winsim {

bool RunHostTool(const std::vector<std::string>& args, std::string& output)
{
    ScratchFile log;
    if (log.Descriptor() < 0 || args.empty())
        return false;
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(log.Descriptor(), 1);
        ::dup2(log.Descriptor(), 2);
        ::setenv("MTOOLS_SKIP_CHECK", "1", 1); // our volumes sit inside whole disks
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::execv(("/usr/sbin/" + args[0]).c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    bool ok = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
              WEXITSTATUS(status) == 0;
    std::vector<unsigned char> text;
    log.Read(text);
    output.assign(text.begin(), text.end());
    return ok;
}

ScratchFile::ScratchFile()
{
    char name[] = "/tmp/winsim-XXXXXX";
    fd_ = ::mkstemp(name);
    path_ = name;
}

ScratchFile::~ScratchFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    ::unlink(path_.c_str());
}

bool ScratchFile::Read(std::vector<unsigned char>& out) const
{
    out.clear();
    unsigned char buffer[65536];
    for (off_t at = 0;;) {
        ssize_t n = ::pread(fd_, buffer, sizeof buffer, at);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.insert(out.end(), buffer, buffer + n);
        at += n;
    }
}

bool ScratchFile::Write(const std::vector<unsigned char>& bytes) const
{
    if (::ftruncate(fd_, 0) != 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, (off_t)done);
        if (n <= 0)
            return false;
        done += (std::size_t)n;
    }
    return true;
}

} // namespace winsim
