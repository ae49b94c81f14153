// The Linux window's stand-ins for libcurl, in a program that does not link
// libcurl either: it is loaded at the first call, and every call reaches it.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <memory>

#include "loaded_library.h"

namespace {

using corvane::testing::libraryLoaded;

std::size_t ignoreBody(char*, std::size_t size, std::size_t count, void*) { return size * count; }

TEST(LateLibcurl, LoadsAtTheFirstCallAndHandsEveryCallOn) {
    ASSERT_FALSE(libraryLoaded("libcurl"));

    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
    ASSERT_NE(url, nullptr);
    EXPECT_TRUE(libraryLoaded("libcurl"));
    ASSERT_EQ(curl_url_set(url.get(), CURLUPART_URL, "https://gw.example:8443/v1?a=1", 0),
              CURLUE_OK);
    char* host = nullptr;
    ASSERT_EQ(curl_url_get(url.get(), CURLUPART_HOST, &host, 0), CURLUE_OK);
    EXPECT_STREQ(host, "gw.example");
    curl_free(host);

    CURL* easy = curl_easy_init();
    ASSERT_NE(easy, nullptr);
    // One option of each kind of value: a long, a pointer, a function, a curl_off_t.
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_VERBOSE, 0L), CURLE_OK);
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_URL, "https://gw.example/v1/models"), CURLE_OK);
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, ignoreBody), CURLE_OK);
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t{1} << 40), CURLE_OK);
    // A value out of range must reach libcurl as it was given to be refused.
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t{-1}),
              CURLE_BAD_FUNCTION_ARGUMENT);
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_MAXREDIRS, -2L), CURLE_BAD_FUNCTION_ARGUMENT);
    char* effective = nullptr;
    ASSERT_EQ(curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective), CURLE_OK);
    EXPECT_STREQ(effective, "https://gw.example/v1/models");
    // Not in a transfer, libcurl refuses; its stand-in alone would say it failed to start.
    EXPECT_EQ(curl_easy_pause(easy, CURLPAUSE_CONT), CURLE_BAD_FUNCTION_ARGUMENT);

    char* escaped = curl_easy_escape(easy, "a b/c", 5);
    EXPECT_STREQ(escaped, "a%20b%2Fc");
    curl_free(escaped);
    curl_slist* headers = curl_slist_append(nullptr, "Accept: application/json");
    ASSERT_NE(headers, nullptr);
    EXPECT_STREQ(headers->data, "Accept: application/json");
    curl_slist_free_all(headers);
    EXPECT_STREQ(curl_easy_strerror(CURLE_OK), "No error");

    CURLM* multi = curl_multi_init();
    ASSERT_NE(multi, nullptr);
    EXPECT_EQ(curl_multi_add_handle(multi, easy), CURLM_OK);
    EXPECT_EQ(curl_multi_wakeup(multi), CURLM_OK);
    int ready = 0;
    EXPECT_EQ(curl_multi_poll(multi, nullptr, 0, 0, &ready), CURLM_OK);
    int left = 0;
    EXPECT_EQ(curl_multi_info_read(multi, &left), nullptr);
    EXPECT_EQ(curl_multi_remove_handle(multi, easy), CURLM_OK);
    EXPECT_EQ(curl_multi_cleanup(multi), CURLM_OK);
    curl_easy_cleanup(easy);
}

}  // namespace
