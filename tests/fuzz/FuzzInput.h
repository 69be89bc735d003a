#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// What every fuzz target shares: the bytes as Qt sees them, and a check
// that turns a broken promise of the code under test into a crash the
// fuzzer reports with the input that caused it.
namespace quorvane::fuzz {

inline QByteArrayView bytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline QString text(const std::uint8_t *data, std::size_t size)
{
    return QString::fromUtf8(bytes(data, size));
}

inline void require(bool promiseKept)
{
    if (!promiseKept)
        std::abort();
}

} // namespace quorvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
