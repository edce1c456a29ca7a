#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

// Incremental MD5 (RFC 1321), on the platform's fast implementation.
class Md5Hasher {
public:
    using TDigest = std::array<std::uint8_t, 16>;

    Md5Hasher();
    ~Md5Hasher();
    Md5Hasher(const Md5Hasher &) = delete;
    Md5Hasher &operator=(const Md5Hasher &) = delete;

    void Update(const void *data, std::size_t size);
    TDigest Final();

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
