#include "LineWriter.h"

#include "RunError.h"

#include <cerrno>
#include <filesystem>

namespace varnuth {
namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
constexpr std::string_view kLineEnd = "\r\n";

std::string OpenContext(const std::string& name)
{
    return "Cannot write the target file \"" + name + "\"";
}

std::error_code LastError()
{
    return {errno, std::generic_category()};
}

// Refused before opening, because opening empties the file. Root could otherwise write a read-only file.
void RequireWritableTarget(const std::string& name)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const auto status = fs::status(name, error);
    if (fs::is_directory(status)) {
        throw RunError(std::make_error_code(std::errc::is_a_directory), OpenContext(name));
    }
    constexpr auto kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (fs::exists(status) && (status.permissions() & kAnyWrite) == fs::perms::none) {
        throw RunError(static_cast<int>(std::errc::permission_denied), OpenContext(name) + ": the file is read-only");
    }
}

} // namespace

LineWriter::LineWriter(const std::string& name) : name_(name)
{
    RequireWritableTarget(name);
    file_.reset(std::fopen(name.c_str(), "wb"));
    if (!file_) {
        throw RunError(LastError(), OpenContext(name));
    }
    // Our own buffer is the only one, so every failure surfaces in Flush with its errno.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    buffer_.reserve(kBufferSize);
}

LineWriter::~LineWriter()
{
    CloseAfterFailure();
}

void LineWriter::WriteLine(std::string_view text)
{
    Append(text);
    Append(kLineEnd);
}

void LineWriter::WriteLine(std::initializer_list<std::string_view> pieces)
{
    for (const std::string_view piece : pieces) {
        Append(piece);
    }
    Append(kLineEnd);
}

void LineWriter::WriteByteOrderMark()
{
    Append("\xEF\xBB\xBF");
}

void LineWriter::Append(std::string_view bytes)
{
    if (buffer_.size() + bytes.size() > kBufferSize) {
        Flush();
    }
    if (bytes.size() >= kBufferSize) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
            throw RunError(LastError(), OpenContext(name_));
        }
        return;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void LineWriter::Flush()
{
    if (buffer_.empty() || !file_) {
        return;
    }
    const std::size_t written = std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get());
    const bool complete = written == buffer_.size();
    // A failed write is never retried: a retry could repeat the bytes the device did take.
    buffer_.clear();
    if (!complete) {
        throw RunError(LastError(), OpenContext(name_));
    }
}

void LineWriter::Close()
{
    if (!file_) {
        return;
    }
    Flush();
    if (std::fclose(file_.release()) != 0) {
        throw RunError(LastError(), OpenContext(name_));
    }
}

void LineWriter::CloseAfterFailure() noexcept
{
    // The lines written before the failure stay in the target; a second failure here adds nothing to report.
    try {
        Flush();
    } catch (const RunError&) {
    }
    file_.reset();
}

} // namespace varnuth
