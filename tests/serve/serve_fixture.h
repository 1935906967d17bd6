// A `kv serve` process on a free port of 127.0.0.1, with its own temporary folder, and the
// requests the tests send it.
#pragma once

#include <httplib.h>

#include <map>
#include <string>
#include <vector>

#include "support/kv_runner.h"
#include "support/temp_dir.h"

namespace kv::testing {

class ServeProcess {
 public:
  explicit ServeProcess(const std::vector<std::string>& options = {});
  ~ServeProcess();
  int port() const { return port_; }
  httplib::Client Client() const;
  // SIGTERM; checks the exit status 0, that nothing is left in the temporary folder and no
  // process of the service runs, and that the samples are unchanged. The access log.
  std::string Stop();

 private:
  TempDir temp_, work_;
  std::map<std::string, std::string> samples_;
  StartedKv kv_;
  int port_ = 0;
  bool stopped_ = false;
};

// The bytes of examples/NAME.
std::string Sample(const std::string& name);

// POSTs the form: `plan` with these bytes under that file name, `pdg` unless "".
httplib::Result Upload(httplib::Client& client, const std::string& bytes,
                       const std::string& filename, const std::string& pdg = "",
                       const std::string& path = "/api/validate");

// The JSON object of `kv --json --pdg no FILE` run on the sample, with its two paths
// reduced to file names as the service gives them.
std::string CliJson(const std::string& sample);

// The service's JSON object without the fields the service adds.
std::string WithoutServiceFields(const std::string& json);

}  // namespace kv::testing
