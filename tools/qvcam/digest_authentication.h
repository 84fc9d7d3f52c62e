// HTTP digest authentication as the camera does it: MD5 with qop "auth" (RFC 7616), a fresh nonce for
// every challenge and a strictly rising nonce count per nonce.
//
// The HTTP library's own digest check derives its nonce from the time in whole seconds and the path, so
// clients challenged in the same second on the same path share one nonce and all but the first fail its
// replay check; the plug-in sends hundreds of such requests at once, hence this implementation.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace qvcam {

/** Lower-case hexadecimal MD5 of the text. */
std::string md5Hex(const std::string& text);

/** The fields of an "Authorization: Digest ..." header; absent fields are empty. */
struct DigestCredentials
{
    std::string username;
    std::string realm;
    std::string nonce;
    std::string uri;
    std::string qop;
    std::string nc;
    std::string cnonce;
    std::string response;
    std::string opaque;
    std::string algorithm;
};

/** False when the header is not a digest authorization. Quoted values may carry backslash escapes. */
bool parseDigestAuthorization(const std::string& header, DigestCredentials* credentials);

/** The "response" a client holding the password sends for qop "auth". */
std::string digestResponse(
    const DigestCredentials& credentials, const std::string& password, const std::string& method);

/** A challenged client answers within a second; five minutes tolerates a paused debugger. */
constexpr std::chrono::seconds kDefaultNonceLifetime = std::chrono::minutes(5);

class DigestAuthenticator
{
public:
    enum class Verdict
    {
        granted,
        refused, //< No credentials, or wrong ones.
        staleNonce, //< The right credentials with an unknown, expired or replayed nonce: challenge again.
    };

    /** A nonce older than its lifetime is stale: the right credentials with it get a fresh challenge. */
    DigestAuthenticator(std::string realm,
        std::string user,
        std::string password,
        std::chrono::seconds nonceLifetime = kDefaultNonceLifetime);

    /** authorization: the header's value, empty when absent; uri: the request target as received. */
    Verdict check(const std::string& authorization, const std::string& method, const std::string& uri);

    /** The WWW-Authenticate value of a challenge with a nonce never handed out before. */
    std::string challenge(bool stale);

private:
    struct NonceState
    {
        std::chrono::steady_clock::time_point issued;
        uint64_t lastCount = 0;
    };

    /** False for an unknown or expired nonce and for a count not above the last one. */
    bool acceptNonceCount(const std::string& nonce, const std::string& count);
    std::string newNonce();

    const std::string m_realm;
    const std::string m_user;
    const std::string m_password;
    const std::chrono::seconds m_nonceLifetime;
    const std::string m_opaque; //< Sent with every challenge and echoed by clients; nothing relies on it.

    std::mutex m_mutex;
    std::unordered_map<std::string, NonceState> m_nonces;
    std::deque<std::string> m_nonceOrder; //< Oldest first, to forget the oldest when full.
};

} // namespace qvcam
