// Request signing for the Zelvora SDK.
//
// generateSignature(text, secret) returns the HMAC-SHA256 of the text under the secret, both taken
// as UTF-8, as 64 lower-case hexadecimal digits. Plain JavaScript: it runs in a bare script context,
// without WebCrypto or any other host object.
//
// VardeloHMAC.hmacSha256Hex(keyBytes, messageBytes) is the same over arrays of byte values, and
// VardeloHMAC.utf8Bytes(text) the UTF-8 encoding it uses (a lone surrogate becomes U+FFFD).

var VardeloHMAC = (function () {
  'use strict';

  var K = [
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2
  ];

  var BLOCK_SIZE = 64;

  function utf8Bytes(text) {
    var bytes = [];
    for (var i = 0; i < text.length; i++) {
      var c = text.charCodeAt(i);
      if (c >= 0xd800 && c <= 0xdbff && i + 1 < text.length) {
        var low = text.charCodeAt(i + 1);
        if (low >= 0xdc00 && low <= 0xdfff) {
          c = 0x10000 + ((c - 0xd800) << 10) + (low - 0xdc00);
          i++;
        }
      }
      if (c >= 0xd800 && c <= 0xdfff) c = 0xfffd;  // a surrogate without its partner
      if (c < 0x80) {
        bytes.push(c);
      } else if (c < 0x800) {
        bytes.push(0xc0 | (c >> 6), 0x80 | (c & 0x3f));
      } else if (c < 0x10000) {
        bytes.push(0xe0 | (c >> 12), 0x80 | ((c >> 6) & 0x3f), 0x80 | (c & 0x3f));
      } else {
        bytes.push(0xf0 | (c >> 18), 0x80 | ((c >> 12) & 0x3f), 0x80 | ((c >> 6) & 0x3f), 0x80 | (c & 0x3f));
      }
    }
    return bytes;
  }

  function rotr(x, n) {
    return (x >>> n) | (x << (32 - n));
  }

  // SHA-256 of an array of byte values, as an array of 32 byte values.
  function sha256(bytes) {
    var length = bytes.length;
    var wordCount = (((length + 8) >> 6) + 1) << 4;
    var words = new Array(wordCount);
    var i;
    for (i = 0; i < wordCount; i++) words[i] = 0;
    for (i = 0; i < length; i++) words[i >> 2] |= bytes[i] << (24 - (i & 3) * 8);
    words[length >> 2] |= 0x80 << (24 - (length & 3) * 8);
    words[wordCount - 2] = Math.floor(length / 0x20000000);  // the bit length, high word
    words[wordCount - 1] = (length << 3) >>> 0;              // and low word

    var h0 = 0x6a09e667, h1 = 0xbb67ae85, h2 = 0x3c6ef372, h3 = 0xa54ff53a;
    var h4 = 0x510e527f, h5 = 0x9b05688c, h6 = 0x1f83d9ab, h7 = 0x5be0cd19;
    var w = new Array(64);
    for (var block = 0; block < wordCount; block += 16) {
      var t;
      for (t = 0; t < 16; t++) w[t] = words[block + t] | 0;
      for (t = 16; t < 64; t++) {
        var x = w[t - 15], y = w[t - 2];
        var s0 = rotr(x, 7) ^ rotr(x, 18) ^ (x >>> 3);
        var s1 = rotr(y, 17) ^ rotr(y, 19) ^ (y >>> 10);
        w[t] = (w[t - 16] + s0 + w[t - 7] + s1) | 0;
      }
      var a = h0, b = h1, c = h2, d = h3, e = h4, f = h5, g = h6, h = h7;
      for (t = 0; t < 64; t++) {
        var sum1 = rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25);
        var choice = (e & f) ^ (~e & g);
        var temp1 = (h + sum1 + choice + K[t] + w[t]) | 0;
        var sum0 = rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22);
        var majority = (a & b) ^ (a & c) ^ (b & c);
        var temp2 = (sum0 + majority) | 0;
        h = g;
        g = f;
        f = e;
        e = (d + temp1) | 0;
        d = c;
        c = b;
        b = a;
        a = (temp1 + temp2) | 0;
      }
      h0 = (h0 + a) | 0;
      h1 = (h1 + b) | 0;
      h2 = (h2 + c) | 0;
      h3 = (h3 + d) | 0;
      h4 = (h4 + e) | 0;
      h5 = (h5 + f) | 0;
      h6 = (h6 + g) | 0;
      h7 = (h7 + h) | 0;
    }

    var digest = [];
    var state = [h0, h1, h2, h3, h4, h5, h6, h7];
    for (i = 0; i < 8; i++) {
      digest.push((state[i] >>> 24) & 0xff, (state[i] >>> 16) & 0xff, (state[i] >>> 8) & 0xff, state[i] & 0xff);
    }
    return digest;
  }

  function hmacSha256(key, message) {
    if (key.length > BLOCK_SIZE) key = sha256(key);
    var inner = new Array(BLOCK_SIZE);
    var outer = new Array(BLOCK_SIZE);
    for (var i = 0; i < BLOCK_SIZE; i++) {
      var byte = i < key.length ? key[i] : 0;
      inner[i] = byte ^ 0x36;
      outer[i] = byte ^ 0x5c;
    }
    return sha256(outer.concat(sha256(inner.concat(message))));
  }

  function hex(bytes) {
    var digits = '0123456789abcdef';
    var text = '';
    for (var i = 0; i < bytes.length; i++) text += digits.charAt(bytes[i] >> 4) + digits.charAt(bytes[i] & 0x0f);
    return text;
  }

  return {
    utf8Bytes: utf8Bytes,
    hmacSha256Hex: function (keyBytes, messageBytes) {
      return hex(hmacSha256(keyBytes, messageBytes));
    }
  };
})();

function generateSignature(text, secret) {
  return VardeloHMAC.hmacSha256Hex(VardeloHMAC.utf8Bytes(String(secret)), VardeloHMAC.utf8Bytes(String(text)));
}
