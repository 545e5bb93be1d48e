#include "record.h"

namespace {

std::FILE *Create(const QByteArray &path) {
    return std::fopen(path.constData(), "w");
}

void WriteLine(std::FILE *file, const QByteArray &line) {
    if (file == nullptr)
        return;
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), file);
    std::fputc('\n', file);
    std::fflush(file);
}

} // namespace

Recorder::~Recorder() {
    if (record_ != nullptr)
        std::fclose(record_);
    if (trace_ != nullptr)
        std::fclose(trace_);
}

bool Recorder::openRecord(const QByteArray &path) {
    record_ = Create(path);
    return record_ != nullptr;
}

bool Recorder::openTrace(const QByteArray &path) {
    trace_ = Create(path);
    return trace_ != nullptr;
}

void Recorder::record(const QByteArray &line) {
    WriteLine(record_, line);
}

void Recorder::trace(const QByteArray &event) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start_);
    WriteLine(trace_, QByteArray::number(static_cast<qlonglong>(elapsed.count())) + ' ' + event);
}

QByteArray Quote(const QByteArray &bytes) {
    QByteArray quoted("\"");
    for (const char c : bytes) {
        if (c == '\\' || c == '"') {
            quoted.append('\\').append(c);
        } else if (c >= ' ' && c <= '~') {
            quoted.append(c);
        } else {
            quoted.append("\\x").append(
                QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0'));
        }
    }
    return quoted.append('"');
}
