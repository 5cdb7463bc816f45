// Running the host's disk tools (mkfs.fat, mtools) for the machine.
#ifndef WINSIM_HOST_TOOLS_H
#define WINSIM_HOST_TOOLS_H

#include <string>
#include <vector>

namespace winsim {

// Runs a program with arguments, no shell, capturing what it prints; true
// when it exits with 0. Tools in /usr/sbin are found without it on PATH.
bool RunHostTool(const std::vector<std::string>& args, std::string& output);

// A scratch file in /tmp that is removed with the object.
class ScratchFile {
public:
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return path_; }
    int Descriptor() const { return fd_; }
    bool Read(std::vector<unsigned char>& out) const;
    bool Write(const std::vector<unsigned char>& bytes) const;

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace winsim

#endif
