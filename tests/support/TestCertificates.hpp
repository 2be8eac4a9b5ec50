#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace zelvora::test {

// A certificate and its private key, both PEM.
struct TestCertificate {
  std::string certificatePem;
  std::string privateKeyPem;
};

// A certificate authority made for one test run (P-256 keys, valid from an hour ago for a day),
// which issues server certificates for a DNS name.
class TestCertificateAuthority {
 public:
  TestCertificateAuthority();
  ~TestCertificateAuthority();
  TestCertificateAuthority(const TestCertificateAuthority&) = delete;
  TestCertificateAuthority& operator=(const TestCertificateAuthority&) = delete;

  // The authority's own certificate, written to a file of its own that lives as long as it.
  const std::filesystem::path& certificateFile() const;
  TestCertificate issue(const std::string& dnsName) const;

  // A certificate for the name that no authority signed.
  static TestCertificate selfSigned(const std::string& dnsName);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zelvora::test
