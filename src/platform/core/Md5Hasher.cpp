#include "Md5Hasher.h"

#include <openssl/evp.h>

#include <stdexcept>

struct Md5Hasher::TImpl {
    EVP_MD_CTX *Context = EVP_MD_CTX_new();
    ~TImpl() { EVP_MD_CTX_free(Context); }
};

Md5Hasher::Md5Hasher() : FImpl(std::make_unique<TImpl>())
{
    if (!FImpl->Context || EVP_DigestInit_ex(FImpl->Context, EVP_md5(), nullptr) != 1)
        throw std::runtime_error("MD5 is not available");
}

Md5Hasher::~Md5Hasher() = default;

void Md5Hasher::Update(const void *data, std::size_t size)
{
    EVP_DigestUpdate(FImpl->Context, data, size);
}

Md5Hasher::TDigest Md5Hasher::Final()
{
    TDigest digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(FImpl->Context, digest.data(), &length);
    return digest;
}
