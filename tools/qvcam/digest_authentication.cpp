// Digest challenges and their checks.
#include "digest_authentication.h"

#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include <openssl/evp.h>
#include <openssl/rand.h>

namespace qvcam {

namespace {

/**
 * Nonces remembered at once: a full read of the plug-in's settings holds 337 handshakes open together;
 * eight times that leaves room for several agents before an unanswered challenge is forgotten.
 */
constexpr size_t kNonceCapacity = 4096;
/** 128 random bits: a nonce is never guessed nor handed out twice. */
constexpr size_t kNonceBytes = 16;

const char* const kScheme = "Digest";
const char* const kQop = "auth";
const char* const kAlgorithm = "MD5";

std::string toHex(const unsigned char* bytes, size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i)
    {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0f];
    }
    return text;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

/** Reads `name=value` or `name="value"` from position; leaves position after the value. */
class ParameterReader
{
public:
    explicit ParameterReader(const std::string& text, size_t position): m_text(text), m_position(position) {}

    bool next(std::string* name, std::string* value)
    {
        skip(" \t,");
        if (m_position >= m_text.size())
            return false;
        const size_t equals = m_text.find('=', m_position);
        if (equals == std::string::npos)
            return false;
        *name = trimmed(m_text.substr(m_position, equals - m_position));
        m_position = equals + 1;
        skip(" \t");
        return m_position < m_text.size() && m_text[m_position] == '"' ? readQuoted(value) : readToken(value);
    }

private:
    void skip(const char* characters)
    {
        while (m_position < m_text.size() && std::strchr(characters, m_text[m_position]) != nullptr)
            ++m_position;
    }

    bool readQuoted(std::string* value)
    {
        value->clear();
        for (++m_position; m_position < m_text.size(); ++m_position)
        {
            const char c = m_text[m_position];
            if (c == '"')
            {
                ++m_position;
                return true;
            }
            if (c == '\\' && m_position + 1 < m_text.size())
                ++m_position;
            *value += m_text[m_position];
        }
        return false;
    }

    bool readToken(std::string* value)
    {
        const size_t end = m_text.find(',', m_position);
        *value = trimmed(m_text.substr(m_position, end == std::string::npos ? std::string::npos : end - m_position));
        m_position = end == std::string::npos ? m_text.size() : end;
        return true;
    }

    static std::string trimmed(const std::string& text)
    {
        const size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos)
            return {};
        return text.substr(first, text.find_last_not_of(" \t") - first + 1);
    }

    const std::string& m_text;
    size_t m_position;
};

void assign(DigestCredentials* credentials, const std::string& name, const std::string& value)
{
    const std::pair<const char*, std::string DigestCredentials::*> fields[] = {
        {"username", &DigestCredentials::username},
        {"realm", &DigestCredentials::realm},
        {"nonce", &DigestCredentials::nonce},
        {"uri", &DigestCredentials::uri},
        {"qop", &DigestCredentials::qop},
        {"nc", &DigestCredentials::nc},
        {"cnonce", &DigestCredentials::cnonce},
        {"response", &DigestCredentials::response},
        {"opaque", &DigestCredentials::opaque},
        {"algorithm", &DigestCredentials::algorithm},
    };
    for (const auto& [fieldName, member]: fields)
    {
        if (equalsIgnoringCase(name, fieldName))
            credentials->*member = value;
    }
}

/** The nonce count: exactly eight hexadecimal digits. */
bool parseNonceCount(const std::string& text, uint64_t* count)
{
    if (text.size() != 8 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    *count = std::strtoull(text.c_str(), nullptr, 16);
    return true;
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string randomHex(size_t bytes)
{
    std::array<unsigned char, 64> random{};
    if (bytes > random.size() || RAND_bytes(random.data(), static_cast<int>(bytes)) != 1)
        std::abort(); // Without randomness a nonce could repeat; the system is unusable anyway.
    return toHex(random.data(), bytes);
}

} // namespace

std::string md5Hex(const std::string& text)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    if (EVP_Digest(text.data(), text.size(), digest.data(), &size, EVP_md5(), nullptr) != 1)
        return {};
    return toHex(digest.data(), size);
}

bool parseDigestAuthorization(const std::string& header, DigestCredentials* credentials)
{
    const size_t start = header.find_first_not_of(" \t");
    const std::string scheme = kScheme;
    if (start == std::string::npos || !equalsIgnoringCase(header.substr(start, scheme.size()), scheme))
        return false;
    *credentials = {};
    ParameterReader reader(header, start + scheme.size());
    std::string name;
    std::string value;
    while (reader.next(&name, &value))
        assign(credentials, name, value);
    return true;
}

std::string digestResponse(const DigestCredentials& credentials, const std::string& password, const std::string& method)
{
    const std::string userHash = md5Hex(credentials.username + ":" + credentials.realm + ":" + password);
    const std::string requestHash = md5Hex(method + ":" + credentials.uri);
    return md5Hex(userHash + ":" + credentials.nonce + ":" + credentials.nc + ":" + credentials.cnonce + ":"
        + credentials.qop + ":" + requestHash);
}

DigestAuthenticator::DigestAuthenticator(
    std::string realm, std::string user, std::string password, std::chrono::seconds nonceLifetime):
    m_realm(std::move(realm)),
    m_user(std::move(user)),
    m_password(std::move(password)),
    m_nonceLifetime(nonceLifetime),
    m_opaque(randomHex(16))
{}

DigestAuthenticator::Verdict DigestAuthenticator::check(
    const std::string& authorization, const std::string& method, const std::string& uri)
{
    DigestCredentials credentials;
    if (!parseDigestAuthorization(authorization, &credentials))
        return Verdict::refused;
    const bool wellFormed = credentials.username == m_user && credentials.realm == m_realm && credentials.uri == uri
        && credentials.qop == kQop
        && (credentials.algorithm.empty() || equalsIgnoringCase(credentials.algorithm, kAlgorithm));
    if (!wellFormed || !equalsIgnoringCase(credentials.response, digestResponse(credentials, m_password, method)))
        return Verdict::refused;
    // The client knows the password; a nonce we cannot accept (one of an earlier run of the camera, say)
    // only needs a fresh challenge.
    return acceptNonceCount(credentials.nonce, credentials.nc) ? Verdict::granted : Verdict::staleNonce;
}

std::string DigestAuthenticator::challenge(bool stale)
{
    std::string value = std::string(kScheme) + " realm=" + quoted(m_realm) + ", qop=" + quoted(kQop)
        + ", algorithm=" + kAlgorithm + ", nonce=" + quoted(newNonce()) + ", opaque=" + quoted(m_opaque);
    if (stale)
        value += ", stale=true";
    return value;
}

bool DigestAuthenticator::acceptNonceCount(const std::string& nonce, const std::string& count)
{
    uint64_t countValue = 0;
    if (!parseNonceCount(count, &countValue))
        return false;
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto state = m_nonces.find(nonce);
    if (state == m_nonces.end() || std::chrono::steady_clock::now() - state->second.issued > m_nonceLifetime)
        return false;
    if (countValue <= state->second.lastCount)
        return false;
    state->second.lastCount = countValue;
    return true;
}

std::string DigestAuthenticator::newNonce()
{
    const std::string nonce = randomHex(kNonceBytes);
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_nonces[nonce] = {std::chrono::steady_clock::now(), 0};
    m_nonceOrder.push_back(nonce);
    if (m_nonceOrder.size() > kNonceCapacity)
    {
        m_nonces.erase(m_nonceOrder.front());
        m_nonceOrder.pop_front();
    }
    return nonce;
}

} // namespace qvcam
