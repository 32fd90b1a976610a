#include "formats/file_io.h"

namespace twk {

const char* const kReplaceSuffix = ".tmp~";

namespace {
long long g_writeFailAfter = -1;
}  // namespace

void injectFileWriteFailure(long long bytes) {
    g_writeFailAfter = bytes;
}

OutputFile::~OutputFile() {
    close();
}

bool OutputFile::write(const char* data, std::size_t n) {
    if (!isOpen()) return false;
    if (g_writeFailAfter >= 0) {
        if (static_cast<unsigned long long>(g_writeFailAfter) < n) {
            std::size_t part = static_cast<std::size_t>(g_writeFailAfter);
            g_writeFailAfter = 0;
            if (part > 0) writeSome(data, part);
            return false;
        }
        g_writeFailAfter -= static_cast<long long>(n);
    }
    return writeSome(data, n);
}

bool replaceFileContents(const std::string& path, const char* data, std::size_t size) {
    const std::string temp = path + kReplaceSuffix;
    OutputFile out;
    if (!out.create(temp)) return false;
    bool ok = (size == 0 || out.write(data, size)) && out.commit();
    if (ok) ok = moveFileReplacing(temp, path);
    if (!ok) {
        out.close();
        removeFile(temp);
    }
    return ok;
}

}  // namespace twk
