// Every request URL and the statistics signature, checked against texts and
// digests worked out by hand.
#include <gtest/gtest.h>

#include <cstring>

#include "launcher_settings.h"
#include "pages/WebRequests.h"

namespace {

constexpr char kHost[] = "http://svc.example/";
constexpr char kMac[] = "02FC00000001";

MachineInfo Machine() {
    MachineInfo machine = {};
    std::strcpy(machine.szSystemVer, "Win:6.1.7601");
    std::strcpy(machine.szBiosSerial, "DELL-1072009");
    std::strcpy(machine.szCpuSerial, "0FEBFBFF");
    std::strcpy(machine.szHDSerial, "WD-WCC4E1234567");
    std::strcpy(machine.szMacAddress, kMac);
    return machine;
}

TEST(WebRequests, SiteNumberIsTheBarNumberOnlyInCafes) {
    EXPECT_EQ(SiteNumber({}, 55), 0);
    EXPECT_EQ(SiteNumber({7, 3, 0, 0}, 55), 3);
    EXPECT_EQ(SiteNumber({1, 3, 0, 0}, 0), 0) << "SubID is not consulted";
    EXPECT_EQ(SiteNumber({1, 3, 0, 0}, 12345), 12345);
}

TEST(WebRequests, StatisticsReportAndSignature) {
    // md5("000" + mac + "000" + salt): no Config.ini.
    EXPECT_EQ(StatisticsReportUrl(kHost, 0, 0, kMac),
              "http://svc.example/DataSubmitAD.aspx?channelId=0&barId=0&userid=0&"
              "macSerial=02FC00000001&enter_type=0&object_type=0&object_id=0&"
              "sign=c7ec803a2b180bac38427dc17ad31a19");
    EXPECT_EQ(StatisticsSignature(1, 0, kMac), "18245e43c7c4ce2d687c3dbac25e30c6");
    EXPECT_EQ(StatisticsSignature(1, 12345, kMac), "4bd1228935e5c9db8e20d3d7932ad65b");
    EXPECT_EQ(StatisticsSignature(7, 3, kMac), "cc14906bb77b83d60e46e71242e5f785");
    EXPECT_EQ(StatisticsSignature(7, 3, ""), "50cec0db64b4e9a97dbbfc8ccce313bf");
    // A bar number past 2^31 is sent as the signed decimal the services read.
    EXPECT_EQ(StatisticsSignature(1, SiteNumber({1, 0, 0, 0}, 0xFFFFFFFFu), ""),
              "3b13a9cd9fc8d279a6a57a6174112406");
}

TEST(WebRequests, MachinePagesCarryEveryFieldInOrder) {
    EXPECT_EQ(QQLoginUrl(kHost, 7, 3, Machine()),
              "http://svc.example/QQLogin.aspx?unionID=7&siteID=3&SystemVer=Win:6.1.7601&"
              "BiosSerial=DELL-1072009&CPUSerial=0FEBFBFF&HDSerial=WD-WCC4E1234567&"
              "MACAddress=02FC00000001");
    EXPECT_EQ(RegisterUrl(kHost, {7, 3, 11, 12}, 3, Machine()),
              "http://svc.example/client_reg.aspx?MainID=7&SubID=3&SubID1=11&SubID2=12&"
              "Os=Win:6.1.7601&Bios=DELL-1072009&Cpu=0FEBFBFF&Disk=WD-WCC4E1234567&"
              "Mac=02FC00000001");
    const MachineInfo empty = {};
    EXPECT_EQ(RegisterUrl(kHost, {}, 0, empty),
              "http://svc.example/client_reg.aspx?MainID=0&SubID=0&SubID1=0&SubID2=0&Os=&"
              "Bios=&Cpu=&Disk=&Mac=");
}

// Only the bytes that would end, cut or reshape a field are %-escaped; the
// rest, GBK included, go out as they are.
TEST(WebRequests, FieldTextsCannotBreakTheQuery) {
    MachineInfo machine = Machine();
    std::strcpy(machine.szBiosSerial, "DELL&x=1#");
    std::strcpy(machine.szCpuSerial, "1%2+3\x01\x7F=");
    // 中 whole, then a lead byte whose second byte was cut off.
    std::strcpy(machine.szHDSerial, "WD\xD6\xD0\xB9");
    EXPECT_EQ(RegisterUrl(kHost, {7, 3, 11, 12}, 3, machine),
              "http://svc.example/client_reg.aspx?MainID=7&SubID=3&SubID1=11&SubID2=12&"
              "Os=Win:6.1.7601&Bios=DELL%26x=1%23&Cpu=1%252%2B3%01%7F=&Disk=WD\xD6\xD0%B9&"
              "Mac=02FC00000001");
    // A lead byte before a byte that cannot end its character stands alone
    // too, or the code page would join it with the escape after it.
    std::strcpy(machine.szBiosSerial, "\xB9&\xB0\x41\xB0 \xC4");
    EXPECT_EQ(QQLoginUrl(kHost, 7, 3, machine),
              "http://svc.example/QQLogin.aspx?unionID=7&siteID=3&SystemVer=Win:6.1.7601&"
              "BiosSerial=%B9%26\xB0\x41%B0 %C4&CPUSerial=1%252%2B3%01%7F=&"
              "HDSerial=WD\xD6\xD0%B9&MACAddress=02FC00000001");
    // The signature covers the text before it is escaped.
    EXPECT_EQ(StatisticsReportUrl(kHost, 0, 0, "0&1"),
              "http://svc.example/DataSubmitAD.aspx?channelId=0&barId=0&userid=0&"
              "macSerial=0%261&enter_type=0&object_type=0&object_id=0&sign=" +
                  StatisticsSignature(0, 0, "0&1"));
}

TEST(WebRequests, ValidationSendsTheAccountAsTypedAndThePasswordDigest) {
    EXPECT_EQ(ValidationUrl(kHost, "a&b=c", "p w"),
              "http://svc.example/client_validate.aspx?account=a%26b=c&"
              "pwd=782213d5eb51edb7aa97ccfc7388e18e");
    EXPECT_EQ(ValidationUrl(kHost, "", ""),
              "http://svc.example/client_validate.aspx?account=&"
              "pwd=d41d8cd98f00b204e9800998ecf8427e");
    // GBK bytes go out as they are.
    EXPECT_EQ(ValidationUrl(kHost, "\xD5\xC5", "").substr(0, 55),
              "http://svc.example/client_validate.aspx?account=\xD5\xC5&pwd=");
}

TEST(WebRequests, LogoPageAndServiceLinks) {
    EXPECT_EQ(LogoPageUrl(kHost), "http://svc.example/logo.html");
    EXPECT_EQ(ServiceLinkUrl("QQOnline"),
              std::string(settings::kHostService) +
                  "client.aspx?channelId=0&barId=0&userId=&password=&appId=10005");
    EXPECT_EQ(ServiceLinkUrl("GetPassword"),
              std::string(settings::kHostMember) + "Protect/?do=find");
    EXPECT_EQ(ServiceLinkUrl("WebIndex"), settings::kHostMain);
    EXPECT_EQ(ServiceLinkUrl("Pay"), settings::kHostPay);
    EXPECT_EQ(ServiceLinkUrl("Question"), std::string(settings::kHostMain) + "ct/news/");
    EXPECT_EQ(ServiceLinkUrl("UpdateWithHand"), std::string(settings::kHostMain) + "download/");
    EXPECT_EQ(ServiceLinkUrl("webindex"), "");
}

}  // namespace
