// The text helpers of the network client and the socket error table.

#include <gtest/gtest.h>

#include <cerrno>
#include <netdb.h>

#include "net/net_text.h"
#include "net/socket_errors.h"

using namespace net;

TEST(NetTextTest, UrlEncodeKeepsOnlyAsciiLettersAndDigits)
{
    EXPECT_EQ(urlEncode("Az09"), "Az09");
    EXPECT_EQ(urlEncode("a b"), "a+b");
    // Punctuation that other encoders leave alone is encoded here, in
    // lower-case hex.
    EXPECT_EQ(urlEncode("-_.~=&/"), "%2d%5f%2e%7e%3d%26%2f");
    EXPECT_EQ(urlEncode("\xC3\xA9"), "%c3%a9");
    EXPECT_EQ(urlEncode(std::string("\0\xff", 2)), "%00%ff");
    EXPECT_EQ(urlEncode(""), "");
}

TEST(NetTextTest, UrlDecodeReversesTheEncodingAndKeepsBrokenEscapes)
{
    const std::string text = "word list: \xC3\xA9t\xC3\xA9 & 100%";
    EXPECT_EQ(urlDecode(urlEncode(text)), text);
    EXPECT_EQ(urlDecode("a+b%2Fc%2f"), "a b/c/");
    EXPECT_EQ(urlDecode("100%"), "100%");
    EXPECT_EQ(urlDecode("%4"), "%4");
    EXPECT_EQ(urlDecode("%zz%41"), "%zzA");
}

TEST(NetTextTest, Base64PadsTheLastGroup)
{
    EXPECT_EQ(base64Encode(""), "");
    EXPECT_EQ(base64Encode("a"), "YQ==");
    EXPECT_EQ(base64Encode("ab"), "YWI=");
    EXPECT_EQ(base64Encode("abc"), "YWJj");
    EXPECT_EQ(base64Encode("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    EXPECT_EQ(base64Encode(std::string("\xff\xfe\x00", 3)), "//4A");
}

TEST(NetTextTest, HeaderListLooksUpNamesWithoutCase)
{
    HeaderList list;
    list.setText("HTTP/1.0 200 OK\r\nContent-Type: text/plain\nSet-Cookie:  a=1\r\n");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.IndexOfName("content-type"), 1);
    EXPECT_EQ(list.IndexOfName("SET-COOKIE"), 2);
    EXPECT_EQ(list.IndexOfName("HTTP/1.0 200 OK"), -1);
    EXPECT_EQ(list.IndexOfName("Content"), -1);
    EXPECT_EQ(list.GetValue("Set-cookie"), "a=1");
    EXPECT_EQ(list.GetValue("Missing"), "");
    EXPECT_EQ(list.Name(1), "Content-Type");
}

TEST(NetTextTest, HeaderListSetValueReplacesAppendsAndDeletes)
{
    HeaderList list;
    list.setText("Host: a\r\nAccept: */*\r\n");
    list.SetValue("HOST", "b");
    EXPECT_EQ(list.text(), "HOST: b\r\nAccept: */*\r\n");
    list.SetValue("Cookie", "x=1");
    EXPECT_EQ(list.text(), "HOST: b\r\nAccept: */*\r\nCookie: x=1\r\n");
    list.SetValue("accept", "");
    EXPECT_EQ(list.text(), "HOST: b\r\nCookie: x=1\r\n");
    list.SetValue("Nothing", "");
    EXPECT_EQ(list.size(), 2u);

    HeaderList pairs('=');
    pairs.setText("Name=value=with=equals\nEmpty=");
    EXPECT_EQ(pairs.GetValue("name"), "value=with=equals");
    pairs.SetValue("New", " spaced");
    EXPECT_EQ(pairs.lines().back(), "New= spaced");
}

TEST(NetSocketErrorTest, TableTextsCarryTheirNumber)
{
    EXPECT_EQ(socketErrorText(0), "");
    EXPECT_EQ(socketErrorText(10061), "10061:Connection refused");
    EXPECT_EQ(socketErrorText(10060), "10060:Connection timed out");
    EXPECT_EQ(socketErrorText(10054), "10054:Connection reset by peer");
    EXPECT_EQ(socketErrorText(10004), "10004:Interrupted system call");
    EXPECT_EQ(socketErrorText(10047), "10047:Address family not supported by protocol family");
    EXPECT_EQ(socketErrorText(10093), "10093:Successful WSAStartup not yet performed");
    EXPECT_EQ(socketErrorText(11001), "11001:Host not found");
    EXPECT_EQ(socketErrorText(11003), "11003:Non-Recoverable error: FORMERR, REFUSED, NOTIMP");
    EXPECT_EQ(socketErrorText(11004), "11004:Valid name, no data record of requested type");
    // Numbers between the ranges are not in the table.
    EXPECT_EQ(socketErrorText(10072), "Unknown Error No. 10072");
    EXPECT_EQ(socketErrorText(-3), "Unknown Error No. -3");
}

TEST(NetSocketErrorTest, PosixErrorsMapToTableNumbers)
{
    EXPECT_EQ(socketErrorFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(socketErrorFromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(socketErrorFromErrno(ECONNRESET), 10054);
    EXPECT_EQ(socketErrorFromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(socketErrorFromErrno(ENETUNREACH), 10051);
    EXPECT_EQ(socketErrorFromErrno(EADDRINUSE), 10048);
    EXPECT_EQ(socketErrorFromErrno(EWOULDBLOCK), 10035);
    EXPECT_EQ(socketErrorFromLookup(EAI_NONAME), 11001);
    EXPECT_EQ(socketErrorFromLookup(EAI_AGAIN), 11002);
    EXPECT_EQ(socketErrorFromLookup(EAI_FAIL), 11003);
    EXPECT_EQ(socketErrorFromLookup(0), 0);
}
