// Digest authentication: the hash rule against published examples, the header parser, and the
// nonce bookkeeping that lets concurrent clients in while refusing replays.
#include <set>
#include <string>

#include <gtest/gtest.h>

#include <digest_authentication.h>

namespace qvcam {
namespace {

const std::string kRealm = "qvcam";
const std::string kUser = "operator";
const std::string kPassword = "s3cret:pass";
const std::string kUri = "/httpapi/ReadParam?action=readparam&AIX_LINE_ENABLE0=&";

/** The value of one field of a WWW-Authenticate challenge, without quotes. */
std::string challengeField(const std::string& challenge, const std::string& name)
{
    DigestCredentials fields;
    EXPECT_TRUE(parseDigestAuthorization(challenge, &fields)) << challenge;
    return name == "nonce" ? fields.nonce : fields.opaque;
}

/** What a client holding the password sends after the challenge; the opaque is optional to clients. */
std::string authorizationFor(const std::string& challenge,
    const std::string& nc,
    const std::string& password = kPassword,
    const std::string& uri = kUri,
    bool withOpaque = true)
{
    DigestCredentials credentials;
    credentials.username = kUser;
    credentials.realm = kRealm;
    credentials.nonce = challengeField(challenge, "nonce");
    credentials.uri = uri;
    credentials.qop = "auth";
    credentials.nc = nc;
    credentials.cnonce = "0a4f113b";
    credentials.opaque = challengeField(challenge, "opaque");
    const std::string response = digestResponse(credentials, password, "GET");
    const std::string opaque = withOpaque ? ", opaque=\"" + credentials.opaque + "\"" : "";
    return "Digest username=\"" + kUser + "\", realm=\"" + kRealm + "\", nonce=\"" + credentials.nonce + "\", uri=\""
        + uri + "\", algorithm=MD5, response=\"" + response + "\"" + opaque + ", qop=auth, nc=" + nc
        + ", cnonce=\"0a4f113b\"";
}

TEST(DigestAuthentication, hashesMatchThePublishedExamples)
{
    // RFC 1321's test suite.
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
        "57edf4a22be3c955ac49da2e2107b67a");

    // RFC 2617's worked example.
    DigestCredentials credentials;
    credentials.username = "Mufasa";
    credentials.realm = "testrealm@host.com";
    credentials.nonce = "dcd98b7102dd2f0e8b11d0f600bfb0c093";
    credentials.uri = "/dir/index.html";
    credentials.qop = "auth";
    credentials.nc = "00000001";
    credentials.cnonce = "0a4f113b";
    EXPECT_EQ(digestResponse(credentials, "Circle Of Life", "GET"), "6629fae49393a05397450978507c4ef1");
}

TEST(DigestAuthentication, parserReadsQuotedEscapedAndBareValues)
{
    DigestCredentials credentials;
    ASSERT_TRUE(parseDigestAuthorization(
        "  digest USERNAME=\"a\\\"b\",realm=\"r, with comma\" ,  nc=0000000a, qop=auth,uri=\"/x?a=b&c=\"",
        &credentials));
    EXPECT_EQ(credentials.username, "a\"b");
    EXPECT_EQ(credentials.realm, "r, with comma");
    EXPECT_EQ(credentials.nc, "0000000a");
    EXPECT_EQ(credentials.qop, "auth");
    EXPECT_EQ(credentials.uri, "/x?a=b&c=");
    EXPECT_TRUE(credentials.response.empty());

    EXPECT_FALSE(parseDigestAuthorization("Basic b3BlcmF0b3I6cw==", &credentials));
    EXPECT_FALSE(parseDigestAuthorization("", &credentials));
}

TEST(DigestAuthentication, everyChallengeCarriesANonceNeverSeenBefore)
{
    DigestAuthenticator authenticator(kRealm, kUser, kPassword);
    std::set<std::string> nonces;
    for (int i = 0; i < 1000; ++i)
        EXPECT_TRUE(nonces.insert(challengeField(authenticator.challenge(false), "nonce")).second);
    const std::string challenge = authenticator.challenge(true);
    EXPECT_NE(challenge.find("qop=\"auth\""), std::string::npos) << challenge;
    EXPECT_NE(challenge.find("algorithm=MD5"), std::string::npos) << challenge;
    EXPECT_NE(challenge.find("stale=true"), std::string::npos) << challenge;
    EXPECT_EQ(authenticator.challenge(false).find("stale"), std::string::npos);
}

TEST(DigestAuthentication, rightCredentialsPassOnceForEachRisingCount)
{
    DigestAuthenticator authenticator(kRealm, kUser, kPassword);
    using Verdict = DigestAuthenticator::Verdict;
    const std::string challenge = authenticator.challenge(false);
    const std::string other = authenticator.challenge(false);

    EXPECT_EQ(authenticator.check(authorizationFor(challenge, "00000001"), "GET", kUri), Verdict::granted);
    EXPECT_EQ(authenticator.check(authorizationFor(challenge, "00000001"), "GET", kUri), Verdict::staleNonce)
        << "a replayed count";
    EXPECT_EQ(authenticator.check(authorizationFor(challenge, "00000002"), "GET", kUri), Verdict::granted);
    EXPECT_EQ(authenticator.check(authorizationFor(other, "00000001"), "GET", kUri), Verdict::granted)
        << "another client's nonce has its own count";
}

TEST(DigestAuthentication, wrongOrForeignCredentialsAreRefusedAndUnknownNoncesAskedAgain)
{
    DigestAuthenticator authenticator(kRealm, kUser, kPassword);
    using Verdict = DigestAuthenticator::Verdict;
    const std::string challenge = authenticator.challenge(false);

    EXPECT_EQ(authenticator.check("", "GET", kUri), Verdict::refused) << "no credentials";
    EXPECT_EQ(authenticator.check(authorizationFor(challenge, "00000001", "s3cret"), "GET", kUri), Verdict::refused)
        << "wrong password";
    EXPECT_EQ(authenticator.check(authorizationFor(challenge, "00000001"), "GET", "/httpapi/WriteParam?a=1&"),
        Verdict::refused)
        << "credentials made for another request";
    EXPECT_EQ(authenticator.check(authorizationFor(challenge, "00000001"), "POST", kUri), Verdict::refused)
        << "another method";
    EXPECT_EQ(authenticator.check(authorizationFor(challenge, "1"), "GET", kUri), Verdict::staleNonce)
        << "a count that is not eight hexadecimal digits";

    DigestAuthenticator restarted(kRealm, kUser, kPassword);
    for (const bool withOpaque: {true, false})
    {
        EXPECT_EQ(restarted.check(authorizationFor(challenge, "00000001", kPassword, kUri, withOpaque), "GET", kUri),
            Verdict::staleNonce)
            << "the password is right, the nonce unknown: a fresh challenge lets the client in";
    }
}

} // namespace
} // namespace qvcam
