// The studio over real sockets: every refusal of its security rules, hostile
// and malformed requests, requests at once, and the program started as a
// user starts it. After all of them the server still answers.
#ifdef SVGGENERATOR_HAVE_STUDIO
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "studio/server.hpp"
#include "test_support.hpp"

extern char** environ;

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::string token = "00112233445566778899aabbccddeeff";

bool whole_answer(const std::string& answer) {
    const auto end = answer.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    const auto length = answer.find("Content-Length: ");
    if (length == std::string::npos || length > end) return true;
    return answer.size() >= end + 4 + std::stoul(answer.substr(length + 16));
}

// Sends `bytes` as they are and returns everything the server answers
// before it closes the connection; or, not `waiting`, hangs up at once.
std::string send_raw(int port, const std::string& bytes, bool waiting = true) {
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(sock);
        return "";
    }
    timeval timeout{10, 0};
    setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = send(sock, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    std::string answer;
    if (!waiting) {
        close(sock);
        return answer;
    }
    char buffer[4096];
    // The server may keep the connection open after its answer: one whole
    // answer (by its Content-Length) is all that is read.
    for (ssize_t n; !whole_answer(answer) && (n = recv(sock, buffer, sizeof buffer, 0)) > 0;) {
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    close(sock);
    return answer;
}

int status_of(const std::string& answer) {
    return answer.starts_with("HTTP/1.1 ") && answer.size() >= 12 ? std::stoi(answer.substr(9, 3)) : -1;
}

std::string body_of(const std::string& answer) {
    const auto end = answer.find("\r\n\r\n");
    return end == std::string::npos ? "" : answer.substr(end + 4);
}

class StudioSecurity : public ::testing::Test {
protected:
    void SetUp() override {
        write_text(dir / "box.json", project_with(R"("box_Main": {"k": {"location_x": 5, "location_y": 5, "drill_diameter": 1}})"));
        studio.start.json_file = (dir / "box.json").string();
        studio.start.output_directory = (dir / "out").string();
        studio.token = token;
        port = server.start(0);
        host = "127.0.0.1:" + std::to_string(port);
    }

    // A request as a browser on the studio's page sends it, but for what is
    // given.
    std::string request(const std::string& method, const std::string& target, const std::string& headers,
                        const std::string& body = "") {
        return method + " " + target + " HTTP/1.1\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }
    std::string good_headers() { return "Host: " + host + "\r\nX-Studio-Token: " + token + "\r\n"; }
    std::string render_body() { return json{{"project", json::parse(read_text(dir / "box.json"))}}.dump(); }

    void expect_still_answers() {
        const std::string answer = send_raw(port, request("POST", "/api/render", good_headers(), render_body()));
        ASSERT_EQ(status_of(answer), 200) << answer;
        EXPECT_TRUE(json::parse(body_of(answer))["panels"].contains("box_Main"));
    }

    TempDir dir;
    Studio studio;
    StudioServer server{studio};
    int port = 0;
    std::string host;
};

}  // namespace

TEST_F(StudioSecurity, TheApiAndThePageNeedTheToken) {
    const std::string host_only = "Host: " + host + "\r\n";
    EXPECT_EQ(status_of(send_raw(port, request("GET", "/api/status", host_only))), 403);
    EXPECT_EQ(status_of(send_raw(port, request("GET", "/api/status", host_only + "X-Studio-Token: " +
                                                                          token.substr(1) + "0\r\n"))),
              403);
    EXPECT_EQ(status_of(send_raw(port, request("GET", "/", host_only))), 403);
    EXPECT_EQ(status_of(send_raw(port, request("GET", "/index.html?token=" + token + "0", host_only))), 403);
    const std::string page = send_raw(port, request("GET", "/?token=" + token, host_only));
    EXPECT_EQ(status_of(page), 200);
    EXPECT_NE(page.find("Content-Type: text/html"), std::string::npos);
    // The page's scripts hold no data.
    const std::string script = send_raw(port, request("GET", "/vendor/three/build/three.module.js", host_only));
    EXPECT_EQ(status_of(script), 200);
    EXPECT_NE(script.find("Content-Type: text/javascript"), std::string::npos);
    const std::string refused = send_raw(port, request("GET", "/api/project", host_only));
    EXPECT_TRUE(json::parse(body_of(refused)).contains("error"));
    EXPECT_EQ(body_of(refused).find("box_Main"), std::string::npos);
}

TEST_F(StudioSecurity, OnlyTheLoopbackNamesOnThisPortAreHosts) {
    const std::string with_token = "X-Studio-Token: " + token + "\r\n";
    const std::string on_port = ":" + std::to_string(port);
    for (const std::string& name : std::vector<std::string>{"evil.example" + on_port, "127.0.0.1", "127.0.0.1:1",
                                                            "localhost.evil.example" + on_port, "0.0.0.0" + on_port}) {
        EXPECT_EQ(status_of(send_raw(port, request("GET", "/api/status", "Host: " + name + "\r\n" + with_token))), 421)
            << name;
    }
    EXPECT_EQ(status_of(send_raw(port, request("GET", "/api/status", with_token))), 421);  // no Host at all
    for (const std::string name : {"localhost", "[::1]", "127.0.0.1"}) {
        const std::string answer =
            send_raw(port, request("GET", "/api/status", "Host: " + name + ":" + std::to_string(port) + "\r\n" + with_token));
        EXPECT_EQ(status_of(answer), 200) << name;
    }
}

TEST_F(StudioSecurity, ChangesFromAnotherOriginAreRefused) {
    const std::string foreign = "Origin: http://evil.example\r\n";
    EXPECT_EQ(status_of(send_raw(port, request("POST", "/api/render", good_headers() + foreign, render_body()))), 403);
    const std::string save = json{{"project", json::parse(read_text(dir / "box.json"))}, {"etag", ""}}.dump();
    const std::string before = read_text(dir / "box.json");
    EXPECT_EQ(status_of(send_raw(port, request("PUT", "/api/project", good_headers() + foreign, save))), 403);
    EXPECT_EQ(status_of(send_raw(port, request("PUT", "/api/project",
                                               good_headers() + "Origin: http://127.0.0.1:" + std::to_string(port + 1) + "\r\n", save))),
              403);
    EXPECT_EQ(read_text(dir / "box.json"), before);
    EXPECT_EQ(status_of(send_raw(port, request("POST", "/api/render",
                                               good_headers() + "Origin: http://localhost:" + std::to_string(port) + "\r\n",
                                               render_body()))),
              200);
}

TEST_F(StudioSecurity, HostileRequestsAreRefusedAndTheServerStillAnswers) {
    httplib::Client client("127.0.0.1", port);
    client.set_default_headers({{"X-Studio-Token", token}});
    const auto too_large = client.Post("/api/render", std::string((16 << 20) + 1, ' '), "application/json");
    ASSERT_TRUE(too_large);
    EXPECT_EQ(too_large->status, 413);
    const auto bad_json = client.Post("/api/render", "{\"project\": {\"Generic\": }", "application/json");
    ASSERT_TRUE(bad_json);
    EXPECT_EQ(bad_json->status, 400);
    EXPECT_NE(json::parse(bad_json->body)["error"].get<std::string>().find("column 25"), std::string::npos)
        << bad_json->body;

    EXPECT_EQ(status_of(send_raw(port, std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\r\n\r\n", 15))), 400);
    send_raw(port, std::string(100000, '\0'), false);
    EXPECT_EQ(status_of(send_raw(port, "GET /" + std::string(100000, 'a') + " HTTP/1.1\r\n\r\n")), 414);
    EXPECT_EQ(status_of(send_raw(port, "GET / HTTP/1.1\r\nHost: " + std::string(100000, 'h') + "\r\n\r\n")), 400);
    std::string many_headers = "GET /api/status HTTP/1.1\r\n";
    for (int i = 0; i < 2000; ++i) many_headers += "X-" + std::to_string(i) + ": " + std::string(100, 'v') + "\r\n";
    EXPECT_EQ(status_of(send_raw(port, many_headers + "Connection: close\r\n\r\n")), 421);
    send_raw(port, "POST /api/render HTTP/1.1\r\n" + good_headers() + "Content-Length: 1000\r\n\r\n{\"proj", false);
    send_raw(port, "GET /api/status HTTP/1.1\r\n" + good_headers(), false);  // headers without their end
    const int negative = status_of(send_raw(port, "POST /api/render HTTP/1.1\r\n" + good_headers() + "Content-Length: -5\r\n\r\n"));
    EXPECT_TRUE(negative == 400 || negative == 413) << negative;
    EXPECT_EQ(status_of(send_raw(port, "POST /api/render HTTP/1.1\r\n" + good_headers() +
                                           "Transfer-Encoding: chunked\r\n\r\nfffffffffff\r\n")),
              411);
    // Chunks past the limit: the library would take them all.
    std::string chunks;
    for (int i = 0; i < 17; ++i) chunks += "100000\r\n" + std::string(1 << 20, ' ') + "\r\n";
    EXPECT_EQ(status_of(send_raw(port, "POST /api/render HTTP/1.1\r\n" + good_headers() +
                                           "Transfer-Encoding: chunked\r\n\r\n" + chunks + "0\r\n\r\n")),
              411);
    EXPECT_EQ(status_of(send_raw(port, request("GET", "/api/../../etc/passwd", good_headers()))), 404);
    EXPECT_EQ(status_of(send_raw(port, request("GET", "/../../etc/passwd", good_headers()))), 404);
    EXPECT_EQ(status_of(send_raw(port, request("BREW", "/api/render", good_headers()))), 400);
    const auto nested = client.Post("/api/render", "{\"project\": " + std::string(100000, '[') + "}", "application/json");
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->status, 400);
    expect_still_answers();
}

TEST_F(StudioSecurity, RequestsAtOnceAllGetTheSameAnswer) {
    const std::string expected = body_of(send_raw(port, request("POST", "/api/render", good_headers(), render_body())));
    ASSERT_FALSE(expected.empty());
    std::vector<std::thread> threads;
    std::atomic<int> same{0};
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] {
            for (int j = 0; j < 4; ++j) {
                if (body_of(send_raw(port, request("POST", "/api/render", good_headers(), render_body()))) == expected) ++same;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(same.load(), 32);
}

TEST_F(StudioSecurity, NoOtherInterfaceReachesIt) {
    ifaddrs* addresses = nullptr;
    ASSERT_EQ(getifaddrs(&addresses), 0);
    std::optional<in_addr> outside;
    for (ifaddrs* a = addresses; a != nullptr; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET) continue;
        const in_addr address = reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr;
        if ((ntohl(address.s_addr) >> 24) != 127) outside = address;
    }
    freeifaddrs(addresses);
    if (!outside) GTEST_SKIP() << "this machine has no address but the loopback one";
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr = *outside;
    EXPECT_NE(connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(sock);
    expect_still_answers();
}

TEST(StudioProgram, StartsPrintsItsAddressRendersAndEndsWithStatusZeroOnSigterm) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("box_Main": {})"));
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    std::vector<std::string> words = {program_file().string(), "--studio", "-j", (dir / "box.json").string(),
                                      "--port", "0"};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(pipe_ends[1]);
    std::string line;
    char ch = 0;
    while (read(pipe_ends[0], &ch, 1) == 1 && ch != '\n') line += ch;
    close(pipe_ends[0]);

    const std::string prefix = "Studio: http://127.0.0.1:";
    ASSERT_TRUE(line.starts_with(prefix)) << line;
    const int port = std::stoi(line.substr(prefix.size()));
    const std::string printed_token = line.substr(line.find("?token=") + 7);
    EXPECT_EQ(printed_token.size(), 32u);
    EXPECT_EQ(printed_token.find_first_not_of("0123456789abcdef"), std::string::npos);
    httplib::Client client("127.0.0.1", port);
    client.set_default_headers({{"X-Studio-Token", printed_token}});
    const auto rendered = client.Post("/api/render", json{{"project", json::parse(read_text(dir / "box.json"))}}.dump(),
                                      "application/json");
    ASSERT_TRUE(rendered);
    EXPECT_EQ(rendered->status, 200);
    EXPECT_TRUE(json::parse(rendered->body)["panels"].contains("box_Main"));

    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif
