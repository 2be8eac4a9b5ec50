#include "support/TestCertificates.hpp"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace zelvora::test {
namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Certificate = std::unique_ptr<X509, CertificateFree>;

void check(bool ok, const char* what) {
  if (!ok) {
    throw std::runtime_error(std::string("test certificate: ") + what);
  }
}

Key newKey() {
  Key key(EVP_EC_gen("P-256"));
  check(key != nullptr, "key generation");
  return key;
}

void addExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
  check(extension != nullptr && X509_add_ext(certificate, extension, -1) == 1, "extension");
  X509_EXTENSION_free(extension);
}

// A certificate for the subject's key, signed by the issuer's (itself when issuer is null).
Certificate newCertificate(const std::string& commonName, EVP_PKEY* key, X509* issuer,
                           EVP_PKEY* issuerKey, bool authority) {
  Certificate certificate(X509_new());
  X509* raw = certificate.get();
  unsigned char serial[16];
  RAND_bytes(serial, sizeof serial);
  serial[0] &= 0x7F;
  BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
  BN_to_ASN1_INTEGER(number, X509_get_serialNumber(raw));
  BN_free(number);
  X509_set_version(raw, 2);
  X509_gmtime_adj(X509_getm_notBefore(raw), -3600);
  X509_gmtime_adj(X509_getm_notAfter(raw), 24 * 3600);
  X509_NAME* name = X509_get_subject_name(raw);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
  X509_set_issuer_name(raw, issuer ? X509_get_subject_name(issuer) : name);
  X509_set_pubkey(raw, key);
  X509* signer = issuer ? issuer : raw;
  if (authority) {
    addExtension(raw, signer, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(raw, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    addExtension(raw, signer, NID_basic_constraints, "critical,CA:FALSE");
    addExtension(raw, signer, NID_ext_key_usage, "serverAuth");
    addExtension(raw, signer, NID_subject_alt_name, "DNS:" + commonName);
  }
  check(X509_sign(raw, issuerKey ? issuerKey : key, EVP_sha256()) > 0, "signature");
  return certificate;
}

template <class Write>
std::string pem(Write write) {
  BIO* bio = BIO_new(BIO_s_mem());
  check(write(bio) == 1, "PEM");
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio, &data);
  std::string text(data, static_cast<std::size_t>(size));
  BIO_free(bio);
  return text;
}

TestCertificate toPem(X509* certificate, EVP_PKEY* key) {
  return {pem([&](BIO* bio) { return PEM_write_bio_X509(bio, certificate); }), pem([&](BIO* bio) {
            return PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
          })};
}

}  // namespace

struct TestCertificateAuthority::Impl {
  Key key = newKey();
  Certificate certificate =
      newCertificate("Zelvora Test Authority", key.get(), nullptr, nullptr, true);
  std::filesystem::path file;
};

TestCertificateAuthority::TestCertificateAuthority() : impl_(std::make_unique<Impl>()) {
  impl_->file = std::filesystem::temp_directory_path() /
                ("zelvora-test-ca-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "-" +
                 std::to_string(::getpid()) + ".pem");
  std::ofstream(impl_->file) << toPem(impl_->certificate.get(), impl_->key.get()).certificatePem;
}

TestCertificateAuthority::~TestCertificateAuthority() {
  std::error_code ignored;
  std::filesystem::remove(impl_->file, ignored);
}

const std::filesystem::path& TestCertificateAuthority::certificateFile() const {
  return impl_->file;
}

TestCertificate TestCertificateAuthority::issue(const std::string& dnsName) const {
  const Key key = newKey();
  const Certificate certificate =
      newCertificate(dnsName, key.get(), impl_->certificate.get(), impl_->key.get(), false);
  return toPem(certificate.get(), key.get());
}

TestCertificate TestCertificateAuthority::selfSigned(const std::string& dnsName) {
  const Key key = newKey();
  const Certificate certificate = newCertificate(dnsName, key.get(), nullptr, nullptr, false);
  return toPem(certificate.get(), key.get());
}

}  // namespace zelvora::test
