#include "platform/libraries/LazyLibrary.h"
#include "platform/libraries/SystemLibraries.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <nettle/hmac.h>
#include <nettle/md4.h>
#include <nettle/md5.h>

#include <dlfcn.h>

#include <atomic>
#include <thread>
#include <vector>

using platform::LazyLibrary;

namespace {
std::atomic<int> loadHookRuns{0};
void countLoad(void* handle)
{
    if (handle)
        ++loadHookRuns;
}
} // namespace

TEST(LazyLibrary, ALibraryThatIsNotInstalledFailsWithItsNameAndDoesNotEndTheProgram)
{
    LazyLibrary missing("libvelumo-no-such-library.so.0");
    QString error;
    EXPECT_FALSE(missing.load(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("libvelumo-no-such-library.so.0"))) << error.toStdString();
    // Asked again, the same answer without trying again.
    QString again;
    EXPECT_FALSE(missing.load(&again));
    EXPECT_EQ(again, error);
}

TEST(LazyLibrary, HandsOutTheFunctionsTheDynamicLinkerFindsAndSetsUpOnceAcrossThreads)
{
    // zlib is in the process already (the toolkit needs it): the linker's
    // own global lookup is the independent answer.
    LazyLibrary zlib("libz.so.1", &countLoad);
    const int before = loadHookRuns.load();
    std::vector<std::thread> threads;
    std::atomic<int> loaded{0};
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] { loaded += zlib.load() ? 1 : 0; });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(loaded.load(), 8);
    EXPECT_EQ(loadHookRuns.load() - before, 1);
    EXPECT_EQ(zlib.symbol("zlibVersion"), dlsym(RTLD_DEFAULT, "zlibVersion"));
}

namespace {
QByteArray hex(const uint8_t* digest, size_t length)
{
    return QByteArray(reinterpret_cast<const char*>(digest), qsizetype(length)).toHex();
}
} // namespace

// The forwarding definitions give the libraries' own results: published
// test vectors of the digests, and a document read and freed through the
// XML library's allocator variables.
TEST(SystemLibraries, ForwardedCallsGiveTheLibrariesResults)
{
    const QByteArray abc("abc");
    uint8_t digest[16];
    md5_ctx md5;
    md5_init(&md5);
    md5_update(&md5, size_t(abc.size()), reinterpret_cast<const uint8_t*>(abc.constData()));
    md5_digest(&md5, sizeof digest, digest);
    EXPECT_EQ(hex(digest, sizeof digest), "900150983cd24fb0d6963f7d28e17f72"); // RFC 1321

    md4_ctx md4;
    md4_init(&md4);
    md4_update(&md4, size_t(abc.size()), reinterpret_cast<const uint8_t*>(abc.constData()));
    md4_digest(&md4, sizeof digest, digest);
    EXPECT_EQ(hex(digest, sizeof digest), "a448017aaf21d8525fc10ae87aa6729d"); // RFC 1320

    const QByteArray key("Jefe"), data("what do ya want for nothing?");
    hmac_md5_ctx hmac;
    hmac_md5_set_key(&hmac, size_t(key.size()), reinterpret_cast<const uint8_t*>(key.constData()));
    hmac_md5_update(&hmac, size_t(data.size()), reinterpret_cast<const uint8_t*>(data.constData()));
    hmac_md5_digest(&hmac, sizeof digest, digest);
    EXPECT_EQ(hex(digest, sizeof digest), "750c783e6ab0b503eaa86e310a5db738"); // RFC 2202, case 2

    ASSERT_TRUE(platform::systemlibraries::xml().load());
    const QByteArray text("<list><item>forty-two</item></list>");
    xmlDocPtr doc = xmlReadMemory(text.constData(), int(text.size()), nullptr, "UTF-8", XML_PARSE_NONET);
    ASSERT_NE(doc, nullptr);
    xmlChar* content = xmlNodeGetContent(xmlDocGetRootElement(doc));
    ASSERT_NE(content, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(content), "forty-two");
    xmlFree(content);
    void* block = xmlMalloc(64);
    EXPECT_NE(block, nullptr);
    xmlFree(block);
    xmlFreeDoc(doc);
}
