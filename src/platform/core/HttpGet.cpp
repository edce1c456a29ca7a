#include "HttpGet.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <string>

namespace {

struct TTransfer {
    const THttpGetCallbacks *Callbacks = nullptr;
    CURL *Handle = nullptr;
    bool Began = false;
    qint64 Received = 0;
    std::string SinkError;
};

void BeginOnce(TTransfer &transfer)
{
    if (transfer.Began)
        return;
    transfer.Began = true;
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.Handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (transfer.Callbacks->WorkBegin)
        transfer.Callbacks->WorkBegin(length > 0 ? qint64(length) : 0);
}

// The blank line that ends a final (2xx) response's headers starts the work.
size_t OnHeader(char *data, size_t size, size_t count, void *user)
{
    auto &transfer = *static_cast<TTransfer *>(user);
    const size_t n = size * count;
    if (n <= 2 && (data[0] == '\r' || data[0] == '\n')) {
        long code = 0;
        curl_easy_getinfo(transfer.Handle, CURLINFO_RESPONSE_CODE, &code);
        if (code >= 200 && code < 300)
            BeginOnce(transfer);
    }
    return n;
}

size_t OnBody(char *data, size_t size, size_t count, void *user)
{
    auto &transfer = *static_cast<TTransfer *>(user);
    const size_t n = size * count;
    BeginOnce(transfer);
    if (transfer.Callbacks->Body && !transfer.Callbacks->Body(data, n)) {
        transfer.SinkError = "the received data could not be stored";
        return 0; // makes curl stop with a write error
    }
    transfer.Received += qint64(n);
    if (transfer.Callbacks->Work)
        transfer.Callbacks->Work(transfer.Received);
    return n;
}

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

void HttpGet(const QString &url, const THttpGetCallbacks &callbacks, int stallSeconds)
{
    InitCurlOnce();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
    if (!handle)
        throw EHttpError("cannot start an HTTP transfer");

    TTransfer transfer;
    transfer.Callbacks = &callbacks;
    transfer.Handle = handle.get();
    char errorText[CURL_ERROR_SIZE] = {};
    const std::string address = url.toStdString();

    CURL *h = handle.get();
    curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    // The address comes from the server: it must not reach local files or other protocols.
    if (curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https") != CURLE_OK)
        throw EHttpError("this libcurl cannot be limited to http and https");
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, long(stallSeconds));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, long(stallSeconds));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, 256L * 1024L);

    const CURLcode result = curl_easy_perform(h);
    if (!transfer.SinkError.empty())
        throw EHttpError(transfer.SinkError);
    if (result != CURLE_OK)
        throw EHttpError(errorText[0] ? errorText : curl_easy_strerror(result));
    long code = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
    if (code < 200 || code >= 300)
        throw EHttpError("HTTP status " + std::to_string(code));
}
