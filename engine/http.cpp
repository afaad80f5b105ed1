#include "engine/http.h"

#ifdef __EMSCRIPTEN__

#include <emscripten/fetch.h>

#include <cstring>

namespace {

// The browser runs fetches and calls back on the page's own thread, between frames.
class FetchHttp : public Http {
public:
    ~FetchHttp() override {
        // Callbacks still to come find their owner gone and drop their answer.
        *alive = false;
    }

    void send(HttpRequest request, Done done) override {
        auto* call = new Call{std::move(request), std::move(done), alive, {}};
        emscripten_fetch_attr_t attr;
        emscripten_fetch_attr_init(&attr);
        std::strncpy(attr.requestMethod, call->request.method.c_str(),
                     sizeof attr.requestMethod - 1);
        attr.attributes = EMSCRIPTEN_FETCH_LOAD_TO_MEMORY;
        attr.timeoutMSecs =
            static_cast<unsigned long>(std::chrono::milliseconds(kTotalTimeout).count());
        // Names and values in turn, then a null, as fetch takes them.
        for (const std::string& header : call->request.headers) {
            const auto colon = header.find(':');
            if (colon == std::string::npos) continue;
            call->header_texts.push_back(header.substr(0, colon));
            call->header_texts.push_back(header.substr(header.find_first_not_of(' ', colon + 1)));
        }
        for (const std::string& text : call->header_texts) call->headers.push_back(text.c_str());
        call->headers.push_back(nullptr);
        attr.requestHeaders = call->headers.data();
        if (!call->request.body.empty()) {
            attr.requestData = call->request.body.data();
            attr.requestDataSize = call->request.body.size();
        }
        attr.userData = call;
        attr.onsuccess = finished;
        attr.onerror = finished;
        emscripten_fetch(&attr, call->request.url.c_str());
    }

private:
    struct Call {
        HttpRequest request;
        Done done;
        std::shared_ptr<bool> alive;
        std::vector<std::string> header_texts;
        std::vector<const char*> headers;
    };

    static void finished(emscripten_fetch_t* fetch) {
        Call* call = static_cast<Call*>(fetch->userData);
        HttpResponse response;
        response.status = fetch->status;
        if (response.status == 0) {
            response.error = "no answer from " + call->request.url;
        } else if (fetch->numBytes > kMaxAnswer) {
            response.status = 0;
            response.error = "the answer from " + call->request.url + " is too long";
        } else {
            response.body.assign(fetch->data, static_cast<std::size_t>(fetch->numBytes));
        }
        emscripten_fetch_close(fetch);
        if (*call->alive) call->done(std::move(response));
        delete call;
    }

    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

}  // namespace

std::unique_ptr<Http> Http::make() { return std::make_unique<FetchHttp>(); }

#else

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// One request at a time, in the order sent, on one thread of the client's own.
class CurlHttp : public Http {
public:
    CurlHttp() { curl_global_init(CURL_GLOBAL_DEFAULT); }

    ~CurlHttp() override {
        {
            const std::lock_guard lock(mutex);
            stopping = true;
            queue.clear();
        }
        wake.notify_all();
        if (thread.joinable()) thread.join();
        curl_global_cleanup();
    }

    void send(HttpRequest request, Done done) override {
        {
            const std::lock_guard lock(mutex);
            if (stopping) return;
            queue.emplace_back(std::move(request), std::move(done));
            if (!thread.joinable()) thread = std::thread([this] { work(); });
        }
        wake.notify_one();
    }

private:
    using Job = std::pair<HttpRequest, Done>;

    void work() {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return stopping || !queue.empty(); });
                if (stopping) return;
                job = std::move(queue.front());
                queue.pop_front();
            }
            HttpResponse response = perform(job.first);
            if (!stopping) job.second(std::move(response));
        }
    }

    struct Transfer {
        std::string body;
        bool too_long = false;
        const std::atomic<bool>* stopping = nullptr;
    };

    static size_t take(char* data, size_t size, size_t count, void* context) {
        auto* transfer = static_cast<Transfer*>(context);
        const size_t bytes = size * count;
        if (transfer->body.size() + bytes > kMaxAnswer) {
            transfer->too_long = true;
            return 0;  // curl stops the transfer
        }
        transfer->body.append(data, bytes);
        return bytes;
    }

    // Lets a client being destroyed end a transfer at once rather than at its timeout.
    static int progress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<Transfer*>(context)->stopping->load() ? 1 : 0;
    }

    HttpResponse perform(const HttpRequest& request) {
        HttpResponse response;
        const std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
        if (!handle) {
            response.error = "the HTTP client could not start";
            return response;
        }
        std::unique_ptr<curl_slist, ListDeleter> headers;
        for (const std::string& header : request.headers) {
            curl_slist* longer = curl_slist_append(headers.get(), header.c_str());
            if (longer == nullptr) break;
            (void)headers.release();
            headers.reset(longer);
        }
        Transfer transfer;
        transfer.stopping = &stopping;
        CURL* h = handle.get();
        curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);  // no signals from a thread of ours
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(std::chrono::milliseconds(kConnectTimeout).count()));
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(std::chrono::milliseconds(kTotalTimeout).count()));
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, take);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, progress);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
        if (request.method == "POST") {
            curl_easy_setopt(h, CURLOPT_POST, 1L);
            curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.data());
            curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(request.body.size()));
        }
        const CURLcode result = curl_easy_perform(h);
        if (transfer.too_long) {
            response.error = "the answer from " + request.url + " is too long";
            return response;
        }
        if (result != CURLE_OK) {
            response.error = "no answer from " + request.url + ": " + curl_easy_strerror(result);
            return response;
        }
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        response.status = static_cast<int>(status);
        response.body = std::move(transfer.body);
        return response;
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> queue;
    std::atomic<bool> stopping = false;
    std::thread thread;
};

}  // namespace

std::unique_ptr<Http> Http::make() { return std::make_unique<CurlHttp>(); }

#endif
