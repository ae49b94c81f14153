// libcurl's functions for the Linux window, which loads libcurl the first
// time it calls one rather than at start: libcurl and the twenty libraries it
// brings (TLS, Kerberos, LDAP, SSH) cost the first paint about 19 ms, and the
// window needs none of them until the user acts. Each function stands in for
// libcurl's own and hands the call on. The command line and the Mac link
// libcurl itself.
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>

namespace {

void* libcurl() {
    // Loaded once, on whichever thread asks first.
    static void* const handle = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    return handle;
}

// libcurl's own function of this name and type, or null when libcurl cannot
// be loaded; the stand-ins then fail as libcurl fails when out of memory.
template <typename Function>
Function* own(const char* name) {
    void* const handle = libcurl();
    return handle == nullptr ? nullptr : reinterpret_cast<Function*>(dlsym(handle, name));
}

#define CORVANE_OWN(name)                                       \
    static auto* const own_##name = own<decltype(name)>(#name); \
    static_cast<void>(0)

using AnyFunction = void (*)();

// curl 8 made curl_url_get's handle const; the stand-in takes what the
// installed header declares.
template <typename>
struct FirstParameter;
template <typename Result, typename First, typename... Rest>
struct FirstParameter<Result(First, Rest...)> {
    using Type = First;
};
using UrlToRead = FirstParameter<decltype(curl_url_get)>::Type;

}  // namespace

extern "C" {

CURL* curl_easy_init() {
    CORVANE_OWN(curl_easy_init);
    return own_curl_easy_init != nullptr ? own_curl_easy_init() : nullptr;
}

void curl_easy_cleanup(CURL* easy) {
    CORVANE_OWN(curl_easy_cleanup);
    if (own_curl_easy_cleanup != nullptr) own_curl_easy_cleanup(easy);
}

// libcurl reads the value by the type its option number names, so it is
// handed on as that same type.
CURLcode curl_easy_setopt(CURL* easy, CURLoption option, ...) {
    CORVANE_OWN(curl_easy_setopt);
    if (own_curl_easy_setopt == nullptr) return CURLE_FAILED_INIT;
    va_list arguments;
    va_start(arguments, option);
    CURLcode code = CURLE_OK;
    if (option < CURLOPTTYPE_OBJECTPOINT) {
        code = own_curl_easy_setopt(easy, option, va_arg(arguments, long));
    } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
        code = own_curl_easy_setopt(easy, option, va_arg(arguments, void*));
    } else if (option < CURLOPTTYPE_OFF_T) {
        code = own_curl_easy_setopt(easy, option, va_arg(arguments, AnyFunction));
    } else if (option < CURLOPTTYPE_BLOB) {
        code = own_curl_easy_setopt(easy, option, va_arg(arguments, curl_off_t));
    } else {
        code = own_curl_easy_setopt(easy, option, va_arg(arguments, void*));
    }
    va_end(arguments);
    return code;
}

// Every CURLINFO takes a pointer to where the answer goes.
CURLcode curl_easy_getinfo(CURL* easy, CURLINFO info, ...) {
    CORVANE_OWN(curl_easy_getinfo);
    if (own_curl_easy_getinfo == nullptr) return CURLE_FAILED_INIT;
    va_list arguments;
    va_start(arguments, info);
    void* const answer = va_arg(arguments, void*);
    va_end(arguments);
    return own_curl_easy_getinfo(easy, info, answer);
}

CURLcode curl_easy_pause(CURL* easy, int bitmask) {
    CORVANE_OWN(curl_easy_pause);
    return own_curl_easy_pause != nullptr ? own_curl_easy_pause(easy, bitmask) : CURLE_FAILED_INIT;
}

const char* curl_easy_strerror(CURLcode code) {
    CORVANE_OWN(curl_easy_strerror);
    return own_curl_easy_strerror != nullptr ? own_curl_easy_strerror(code)
                                             : "libcurl.so.4 could not be loaded";
}

char* curl_easy_escape(CURL* easy, const char* text, int length) {
    CORVANE_OWN(curl_easy_escape);
    return own_curl_easy_escape != nullptr ? own_curl_easy_escape(easy, text, length) : nullptr;
}

void curl_free(void* pointer) {
    CORVANE_OWN(curl_free);
    if (own_curl_free != nullptr) own_curl_free(pointer);
}

curl_slist* curl_slist_append(curl_slist* list, const char* text) {
    CORVANE_OWN(curl_slist_append);
    return own_curl_slist_append != nullptr ? own_curl_slist_append(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list) {
    CORVANE_OWN(curl_slist_free_all);
    if (own_curl_slist_free_all != nullptr) own_curl_slist_free_all(list);
}

CURLM* curl_multi_init() {
    CORVANE_OWN(curl_multi_init);
    return own_curl_multi_init != nullptr ? own_curl_multi_init() : nullptr;
}

CURLMcode curl_multi_cleanup(CURLM* multi) {
    CORVANE_OWN(curl_multi_cleanup);
    return own_curl_multi_cleanup != nullptr ? own_curl_multi_cleanup(multi) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_add_handle(CURLM* multi, CURL* easy) {
    CORVANE_OWN(curl_multi_add_handle);
    return own_curl_multi_add_handle != nullptr ? own_curl_multi_add_handle(multi, easy)
                                                : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* easy) {
    CORVANE_OWN(curl_multi_remove_handle);
    return own_curl_multi_remove_handle != nullptr ? own_curl_multi_remove_handle(multi, easy)
                                                   : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_perform(CURLM* multi, int* running) {
    CORVANE_OWN(curl_multi_perform);
    return own_curl_multi_perform != nullptr ? own_curl_multi_perform(multi, running)
                                             : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd extra[], unsigned count, int timeout,
                          int* ready) {
    CORVANE_OWN(curl_multi_poll);
    return own_curl_multi_poll != nullptr ? own_curl_multi_poll(multi, extra, count, timeout, ready)
                                          : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_wakeup(CURLM* multi) {
    CORVANE_OWN(curl_multi_wakeup);
    return own_curl_multi_wakeup != nullptr ? own_curl_multi_wakeup(multi) : CURLM_BAD_HANDLE;
}

CURLMsg* curl_multi_info_read(CURLM* multi, int* left) {
    CORVANE_OWN(curl_multi_info_read);
    return own_curl_multi_info_read != nullptr ? own_curl_multi_info_read(multi, left) : nullptr;
}

CURLU* curl_url() {
    CORVANE_OWN(curl_url);
    return own_curl_url != nullptr ? own_curl_url() : nullptr;
}

void curl_url_cleanup(CURLU* url) {
    CORVANE_OWN(curl_url_cleanup);
    if (own_curl_url_cleanup != nullptr) own_curl_url_cleanup(url);
}

CURLUcode curl_url_set(CURLU* url, CURLUPart part, const char* content, unsigned int flags) {
    CORVANE_OWN(curl_url_set);
    return own_curl_url_set != nullptr ? own_curl_url_set(url, part, content, flags)
                                       : CURLUE_OUT_OF_MEMORY;
}

CURLUcode curl_url_get(UrlToRead url, CURLUPart part, char** content, unsigned int flags) {
    CORVANE_OWN(curl_url_get);
    return own_curl_url_get != nullptr ? own_curl_url_get(url, part, content, flags)
                                       : CURLUE_OUT_OF_MEMORY;
}

}  // extern "C"
