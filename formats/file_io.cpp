#include "formats/file_io.h"

namespace twk {

const char* const kReplaceSuffix = ".tmp~";

namespace {
long long g_writeFailAfter = -1;
long long g_readFailAfter = -1;
}  // namespace

void injectFileWriteFailure(long long bytes) {
    g_writeFailAfter = bytes;
}

void injectFileReadFailure(long long bytes) {
    g_readFailAfter = bytes;
}

InputFile::~InputFile() {
    close();
}

bool InputFile::read(char* out, std::size_t n) {
    if (g_readFailAfter >= 0) {
        if (static_cast<unsigned long long>(g_readFailAfter) < n) {
            g_readFailAfter = 0;
            return false;
        }
        g_readFailAfter -= static_cast<long long>(n);
    }
    while (n > 0) {
        std::size_t got = 0;
        if (!readSome(out, n, &got) || got == 0) return false;
        out += got;
        n -= got;
    }
    return true;
}

FileReadStatus readWholeFile(const std::string& path, std::size_t limit, FileBytes& out) {
    InputFile file;
    FileReadStatus status = file.open(path, limit);
    if (status != FileReadStatus::Ok) return status;
    const std::size_t size = file.size();
    std::unique_ptr<char[]> data(new (std::nothrow) char[size + 1]);
    if (!data) return FileReadStatus::NoMemory;
    if (!file.read(data.get(), size)) return FileReadStatus::ShortRead;
    data[size] = 0;
    out.data = std::move(data);
    out.size = size;
    return FileReadStatus::Ok;
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
    if (isReadOnlyFile(path)) return false;
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

bool appendFileContents(const std::string& path, const char* data, std::size_t size) {
    if (isReadOnlyFile(path)) return false;
    OutputFile out;
    int last = -1;
    if (!out.openForAppend(path, &last)) return false;
    const bool lineEnded = last < 0 || last == '\r' || last == '\n';
    bool ok = (lineEnded || out.write("\r\n", 2)) && (size == 0 || out.write(data, size));
    if (!ok) out.cutBack();
    return out.commit() && ok;
}

}  // namespace twk
