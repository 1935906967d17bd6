#include "support/kv_runner.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>

#include "support/phase_run.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kv::testing {
namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

void AppendText(const pugi::xml_node& node, std::string& text) {
  for (const auto& child : node.children()) {
    const std::string name = child.name();
    if (name == "w:t") text += child.text().get();
    if (name == "w:tab") text += '\t';
    if (name != "w:del" && name != "w:instrText") AppendText(child, text);
  }
}

}  // namespace

std::string ZipEntry(const std::string& path, const std::string& name) {
  const auto entries = PackageEntries(path);
  const auto entry = entries.find(name);
  return entry != entries.end() ? entry->second : "";
}

// The shell execs kv, so the process started is kv itself.
StartedKv::StartedKv(const KvInvocation& invocation) {
  std::ofstream(capture_ / "in", std::ios::binary) << invocation.input;
  std::string command = "cd " + Quoted(invocation.workingFolder) + " && " + invocation.before +
                        "\nexec env -u DISPLAY -u WAYLAND_DISPLAY -u KV_TEST_FAIL_AT";
  for (const auto& entry : invocation.environment) command += " " + Quoted(entry);
  command += " " + Quoted(KV_BINARY);
  for (const auto& argument : invocation.arguments) command += " " + Quoted(argument);
  command += " <" + Quoted(capture_ / "in") + " " +
             (invocation.output.empty() ? ">" + Quoted(capture_ / "out") : invocation.output) +
             " 2>" + Quoted(capture_ / "err");
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  if (posix_spawn(&pid_, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    ADD_FAILURE() << "cannot start kv";
  }
}

KvRun StartedKv::Finish() {
  int raw = 0;
  if (pid_ > 0) waitpid(pid_, &raw, 0);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(capture_ / "out"),
          ReadFileBytes(capture_ / "err")};
}

KvRun RunKv(const KvInvocation& invocation) {
  return StartedKv(invocation).Finish();
}

std::vector<std::string> LogLines(const std::string& workingFolder) {
  std::istringstream log(ReadFileBytes(workingFolder + "/kv.log"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line); lines.push_back(line)) {
    if (!line.ends_with('\r')) ADD_FAILURE() << "kv.log line without CR LF: " << line;
    if (line.ends_with('\r')) line.pop_back();
  }
  return lines;
}

std::vector<std::string> BodyParagraphs(const std::string& docxPath) {
  const std::string xml = ZipEntry(docxPath, "word/document.xml");
  pugi::xml_document document;
  document.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata);
  std::vector<std::string> paragraphs;
  for (const auto& block : document.child("w:document").child("w:body").children("w:p")) {
    std::string text;
    AppendText(block, text);
    paragraphs.push_back(text);
  }
  return paragraphs;
}

std::vector<pid_t> ProcessesMentioning(const std::string& text) {
  std::vector<pid_t> found;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream in(entry.path() / "cmdline");
    if (std::string(std::istreambuf_iterator<char>(in), {}).find(text) != std::string::npos)
      found.push_back(std::atoi(entry.path().filename().c_str()));
  }
  return found;
}

}  // namespace kv::testing
