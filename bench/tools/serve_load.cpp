// Uploads one plan to a running kv serve from N clients at once for a number of seconds and
// prints the answered requests per second (all must be 200).
// Usage: kv_serve_load PORT PLAN CLIENTS SECONDS
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: kv_serve_load PORT PLAN CLIENTS SECONDS\n";
    return 64;
  }
  const int port = std::stoi(argv[1]);
  std::ifstream in(argv[2], std::ios::binary);
  const std::string plan{std::istreambuf_iterator<char>(in), {}};
  const std::string name = std::filesystem::path(argv[2]).filename().string();
  const int clients = std::stoi(argv[3]);
  const auto duration = std::chrono::seconds(std::stoi(argv[4]));
  const auto start = std::chrono::steady_clock::now();
  std::atomic<long> answered = 0, failed = 0;
  {
    std::vector<std::jthread> threads;
    for (int k = 0; k < clients; ++k) {
      threads.emplace_back([&] {
        httplib::Client client("127.0.0.1", port);
        const httplib::MultipartFormDataItems form{
            {"plan", plan, name, "application/octet-stream"}};
        while (std::chrono::steady_clock::now() - start < duration) {
          const auto result = client.Post("/api/validate", form);
          ++(result && result->status == 200 ? answered : failed);
        }
      });
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << answered / seconds << " requests/s (" << answered << " in " << seconds << " s, "
            << clients << " clients, " << failed << " not 200)\n";
  return failed == 0 ? 0 : 1;
}
