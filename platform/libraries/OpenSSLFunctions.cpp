// The OpenSSL functions the program calls, loaded with the first TLS
// connection (see LazyLibrary).
#include "SystemLibraries.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

using platform::systemlibraries::crypto;
using platform::systemlibraries::tls;

VELUMO_LAZY_FUNCTION(tls(), int, OPENSSL_init_ssl, (uint64_t opts, const OPENSSL_INIT_SETTINGS* settings), (opts, settings))
VELUMO_LAZY_FUNCTION(tls(), const SSL_METHOD*, TLS_client_method, (void), ())
VELUMO_LAZY_FUNCTION(tls(), SSL_CTX*, SSL_CTX_new, (const SSL_METHOD* method), (method))
VELUMO_LAZY_FUNCTION(tls(), void, SSL_CTX_free, (SSL_CTX* ctx), (ctx))
VELUMO_LAZY_FUNCTION(tls(), long, SSL_CTX_ctrl, (SSL_CTX* ctx, int cmd, long larg, void* parg), (ctx, cmd, larg, parg))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_CTX_set_default_verify_paths, (SSL_CTX* ctx), (ctx))
VELUMO_LAZY_FUNCTION(tls(), SSL*, SSL_new, (SSL_CTX* ctx), (ctx))
VELUMO_LAZY_FUNCTION(tls(), void, SSL_free, (SSL* ssl), (ssl))
VELUMO_LAZY_FUNCTION(tls(), long, SSL_ctrl, (SSL* ssl, int cmd, long larg, void* parg), (ssl, cmd, larg, parg))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_check_private_key, (const SSL* ssl), (ssl))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_do_handshake, (SSL* ssl), (ssl))
VELUMO_LAZY_FUNCTION(tls(), X509_VERIFY_PARAM*, SSL_get0_param, (SSL* ssl), (ssl))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_get_error, (const SSL* ssl, int ret), (ssl, ret))
VELUMO_LAZY_FUNCTION(tls(), void*, SSL_get_ex_data, (const SSL* ssl, int idx), (ssl, idx))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_get_ex_data_X509_STORE_CTX_idx, (void), ())
VELUMO_LAZY_FUNCTION(tls(), long, SSL_get_verify_result, (const SSL* ssl), (ssl))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_read_ex, (SSL* ssl, void* buf, size_t num, size_t* read), (ssl, buf, num, read))
VELUMO_LAZY_FUNCTION(tls(), void, SSL_set_connect_state, (SSL* ssl), (ssl))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_set_ex_data, (SSL* ssl, int idx, void* data), (ssl, idx, data))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_set_fd, (SSL* ssl, int fd), (ssl, fd))
VELUMO_LAZY_FUNCTION(tls(), void, SSL_set_verify, (SSL* ssl, int mode, SSL_verify_cb callback), (ssl, mode, callback))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_use_PrivateKey_file, (SSL* ssl, const char* file, int type), (ssl, file, type))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_use_certificate_chain_file, (SSL* ssl, const char* file), (ssl, file))
VELUMO_LAZY_FUNCTION(tls(), int, SSL_write_ex, (SSL* ssl, const void* buf, size_t num, size_t* written), (ssl, buf, num, written))

VELUMO_LAZY_FUNCTION(crypto(), int, CRYPTO_get_ex_new_index,
                     (int classIndex, long argl, void* argp, CRYPTO_EX_new* newFunction, CRYPTO_EX_dup* dupFunction,
                      CRYPTO_EX_free* freeFunction),
                     (classIndex, argl, argp, newFunction, dupFunction, freeFunction))
VELUMO_LAZY_FUNCTION(crypto(), void, ERR_clear_error, (void), ())
VELUMO_LAZY_FUNCTION(crypto(), void, ERR_error_string_n, (unsigned long e, char* buf, size_t len), (e, buf, len))
VELUMO_LAZY_FUNCTION(crypto(), unsigned long, ERR_get_error, (void), ())
VELUMO_LAZY_FUNCTION(crypto(), int, X509_STORE_CTX_get_error, (const X509_STORE_CTX* ctx), (ctx))
VELUMO_LAZY_FUNCTION(crypto(), void*, X509_STORE_CTX_get_ex_data, (const X509_STORE_CTX* ctx, int idx), (ctx, idx))
VELUMO_LAZY_FUNCTION(crypto(), int, X509_VERIFY_PARAM_set1_host, (X509_VERIFY_PARAM* param, const char* name, size_t length),
                     (param, name, length))
VELUMO_LAZY_FUNCTION(crypto(), int, X509_VERIFY_PARAM_set1_ip_asc, (X509_VERIFY_PARAM* param, const char* address),
                     (param, address))
VELUMO_LAZY_FUNCTION(crypto(), const char*, X509_verify_cert_error_string, (long n), (n))
