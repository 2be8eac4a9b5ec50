// Request signing for the Zelvora SDK.
//
// generateSignature(text, secret) returns the HMAC-SHA256 of the text under the secret, both taken
// as UTF-8, as 64 lower-case hexadecimal digits. Plain JavaScript: it runs in a bare script context,
// without WebCrypto or any other host object.
//
// VardeloHMAC.hmacSha256Hex(keyBytes, messageBytes) is the same over arrays of byte values. A lone
// surrogate in a text is encoded as U+FFFD.
//
// Every request is signed, nearly always under the same secret, so the work is arranged to be small
// per call: the key's inner and outer hash states are computed once per secret, the text is encoded
// into a buffer that is kept between calls, and the SHA-256 core works on 32-bit integers in typed
// arrays allocated once. The buffer only grows: it ends up the size of the largest text signed.

var VardeloHMAC = (function () {
  'use strict';

  var K = new Int32Array([
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2
  ]);

  var INITIAL_STATE = new Int32Array([
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19
  ]);

  var BLOCK_SIZE = 64;
  var DIGEST_SIZE = 32;
  // The most that padding adds to a message: the 0x80 byte, up to 63 zero bytes, the 8-byte length.
  var PADDING_ROOM = BLOCK_SIZE + 8;

  // Scratch space kept between calls. Nothing in it outlives a call's result.
  var schedule = new Int32Array(64);
  var buffer = new Uint8Array(1024);
  var state = new Int32Array(8);

  var HEX_DIGIT_CODES = [];
  for (var digit = 0; digit < 16; digit++) HEX_DIGIT_CODES.push('0123456789abcdef'.charCodeAt(digit));
  var hexCodes = new Array(64).fill(0);

  // The buffer grown to hold at least `size` bytes, its first `kept` bytes preserved.
  function reserve(size, kept) {
    if (buffer.length >= size) return;
    var grown = new Uint8Array(Math.max(size, buffer.length * 2));
    grown.set(buffer.subarray(0, kept));
    buffer = grown;
  }

  function bigSigma0(a) {
    return ((a >>> 2) | (a << 30)) ^ ((a >>> 13) | (a << 19)) ^ ((a >>> 22) | (a << 10));
  }

  function bigSigma1(e) {
    return ((e >>> 6) | (e << 26)) ^ ((e >>> 11) | (e << 21)) ^ ((e >>> 25) | (e << 7));
  }

  // SHA-256's compression of one block, whose 16 words are in schedule[0..15], into `hash`.
  //
  // Eight rounds per loop pass: instead of shifting a..h down one place each round, the variables
  // take turns. In round t the variable playing "h" receives the new "a", and the one playing "d"
  // the new "e"; after eight rounds every variable is back in its own role. Each round line is
  //   h += Σ1(e) + Ch(e, f, g) + K[t] + W[t];  d += h;  h += Σ0(a) + Maj(a, b, c)
  // with Ch(e, f, g) = g ^ (e & (f ^ g)) and Maj(a, b, c) = (a & b) | (c & (a | b)).
  // `| 0` keeps every sum a 32-bit integer, so the engine never leaves integer arithmetic.
  function compress(hash) {
    var w = schedule;
    var t;
    for (t = 16; t < 64; t++) {
      var x = w[t - 15], y = w[t - 2];
      var sigma0 = ((x >>> 7) | (x << 25)) ^ ((x >>> 18) | (x << 14)) ^ (x >>> 3);
      var sigma1 = ((y >>> 17) | (y << 15)) ^ ((y >>> 19) | (y << 13)) ^ (y >>> 10);
      w[t] = (w[t - 16] + sigma0 + w[t - 7] + sigma1) | 0;
    }
    var a = hash[0], b = hash[1], c = hash[2], d = hash[3];
    var e = hash[4], f = hash[5], g = hash[6], h = hash[7];
    for (t = 0; t < 64; t += 8) {
      h = (h + bigSigma1(e) + (g ^ (e & (f ^ g))) + K[t] + w[t]) | 0;
      d = (d + h) | 0;
      h = (h + bigSigma0(a) + ((a & b) | (c & (a | b)))) | 0;
      g = (g + bigSigma1(d) + (f ^ (d & (e ^ f))) + K[t + 1] + w[t + 1]) | 0;
      c = (c + g) | 0;
      g = (g + bigSigma0(h) + ((h & a) | (b & (h | a)))) | 0;
      f = (f + bigSigma1(c) + (e ^ (c & (d ^ e))) + K[t + 2] + w[t + 2]) | 0;
      b = (b + f) | 0;
      f = (f + bigSigma0(g) + ((g & h) | (a & (g | h)))) | 0;
      e = (e + bigSigma1(b) + (d ^ (b & (c ^ d))) + K[t + 3] + w[t + 3]) | 0;
      a = (a + e) | 0;
      e = (e + bigSigma0(f) + ((f & g) | (h & (f | g)))) | 0;
      d = (d + bigSigma1(a) + (c ^ (a & (b ^ c))) + K[t + 4] + w[t + 4]) | 0;
      h = (h + d) | 0;
      d = (d + bigSigma0(e) + ((e & f) | (g & (e | f)))) | 0;
      c = (c + bigSigma1(h) + (b ^ (h & (a ^ b))) + K[t + 5] + w[t + 5]) | 0;
      g = (g + c) | 0;
      c = (c + bigSigma0(d) + ((d & e) | (f & (d | e)))) | 0;
      b = (b + bigSigma1(g) + (a ^ (g & (h ^ a))) + K[t + 6] + w[t + 6]) | 0;
      f = (f + b) | 0;
      b = (b + bigSigma0(c) + ((c & d) | (e & (c | d)))) | 0;
      a = (a + bigSigma1(f) + (h ^ (f & (g ^ h))) + K[t + 7] + w[t + 7]) | 0;
      e = (e + a) | 0;
      a = (a + bigSigma0(b) + ((b & c) | (d & (b | c)))) | 0;
    }
    hash[0] = (hash[0] + a) | 0;
    hash[1] = (hash[1] + b) | 0;
    hash[2] = (hash[2] + c) | 0;
    hash[3] = (hash[3] + d) | 0;
    hash[4] = (hash[4] + e) | 0;
    hash[5] = (hash[5] + f) | 0;
    hash[6] = (hash[6] + g) | 0;
    hash[7] = (hash[7] + h) | 0;
  }

  // Compresses the whole blocks of bytes[0..end) into `hash`; end is a multiple of 64.
  function absorb(hash, bytes, end) {
    for (var block = 0; block < end; block += BLOCK_SIZE) {
      for (var t = 0, i = block; t < 16; t++, i += 4) {
        schedule[t] = (bytes[i] << 24) | (bytes[i + 1] << 16) | (bytes[i + 2] << 8) | bytes[i + 3];
      }
      compress(hash);
    }
  }

  // Finishes a hash whose state has absorbed `prefixLength` bytes already, over the message in
  // buffer[0..length): pads the message in place and compresses it.
  function finish(hash, length, prefixLength) {
    var total = prefixLength + length;
    var end = (Math.floor((length + 8) / BLOCK_SIZE) + 1) * BLOCK_SIZE;
    var bytes = buffer;
    bytes[length] = 0x80;
    bytes.fill(0, length + 1, end - 8);
    var highBits = Math.floor(total / 0x20000000);  // total * 8 does not fit 32 bits past 512 MiB
    var lowBits = total << 3;                       // ToInt32 wraps first, as the low word needs
    bytes[end - 8] = highBits >>> 24;  // a Uint8Array keeps the low 8 bits of what it is given
    bytes[end - 7] = highBits >>> 16;
    bytes[end - 6] = highBits >>> 8;
    bytes[end - 5] = highBits;
    bytes[end - 4] = lowBits >>> 24;
    bytes[end - 3] = lowBits >>> 16;
    bytes[end - 2] = lowBits >>> 8;
    bytes[end - 1] = lowBits;
    absorb(hash, bytes, end);
  }

  // Encodes text as UTF-8 into buffer[0..), with PADDING_ROOM to spare, and returns its length.
  function encodeText(text) {
    var count = text.length;
    reserve(count + PADDING_ROOM, 0);
    var bytes = buffer;
    var i = 0;
    // Request texts are nearly always ASCII: one byte per character.
    for (; i < count; i++) {
      var code = text.charCodeAt(i);
      if (code >= 0x80) break;
      bytes[i] = code;
    }
    if (i === count) return count;

    // The rest takes at most three bytes per UTF-16 unit (a surrogate pair gives four for two).
    reserve(i + (count - i) * 3 + PADDING_ROOM, i);
    bytes = buffer;
    var n = i;
    for (; i < count; i++) {
      var c = text.charCodeAt(i);
      if (c >= 0xd800 && c <= 0xdbff && i + 1 < count) {
        var low = text.charCodeAt(i + 1);
        if (low >= 0xdc00 && low <= 0xdfff) {
          c = 0x10000 + ((c - 0xd800) << 10) + (low - 0xdc00);
          i++;
        }
      }
      if (c >= 0xd800 && c <= 0xdfff) c = 0xfffd;  // a surrogate without its partner
      if (c < 0x80) {
        bytes[n++] = c;
      } else if (c < 0x800) {
        bytes[n++] = 0xc0 | (c >> 6);
        bytes[n++] = 0x80 | (c & 0x3f);
      } else if (c < 0x10000) {
        bytes[n++] = 0xe0 | (c >> 12);
        bytes[n++] = 0x80 | ((c >> 6) & 0x3f);
        bytes[n++] = 0x80 | (c & 0x3f);
      } else {
        bytes[n++] = 0xf0 | (c >> 18);
        bytes[n++] = 0x80 | ((c >> 12) & 0x3f);
        bytes[n++] = 0x80 | ((c >> 6) & 0x3f);
        bytes[n++] = 0x80 | (c & 0x3f);
      }
    }
    return n;
  }

  // Copies an array of byte values into buffer[0..), with PADDING_ROOM to spare.
  function copyBytes(values) {
    reserve(values.length + PADDING_ROOM, 0);
    buffer.set(values);
    return values.length;
  }

  // The hash states of an HMAC key after its inner (0x36) and outer (0x5c) padded blocks, for a key
  // in buffer[0..length). A key longer than a block is hashed first, as HMAC asks.
  function keyStates(length) {
    var key = new Uint8Array(BLOCK_SIZE);
    if (length > BLOCK_SIZE) {
      state.set(INITIAL_STATE);
      finish(state, length, 0);
      for (var i = 0; i < 8; i++) {
        key[4 * i] = state[i] >>> 24;
        key[4 * i + 1] = state[i] >>> 16;
        key[4 * i + 2] = state[i] >>> 8;
        key[4 * i + 3] = state[i];
      }
    } else {
      key.set(buffer.subarray(0, length));
    }
    return { inner: padded(key, 0x36), outer: padded(key, 0x5c) };
  }

  // The initial state after absorbing the key's block xor-ed with `pad`.
  function padded(key, pad) {
    var block = new Uint8Array(BLOCK_SIZE);
    for (var i = 0; i < BLOCK_SIZE; i++) block[i] = key[i] ^ pad;
    var hash = new Int32Array(INITIAL_STATE);
    absorb(hash, block, BLOCK_SIZE);
    return hash;
  }

  // The HMAC, as hex, of the message in buffer[0..length) under prepared key states.
  function hmacHex(keys, length) {
    state.set(keys.inner);
    finish(state, length, BLOCK_SIZE);
    // The outer hash's message is the inner digest: one block with its padding, built as words.
    for (var t = 0; t < 8; t++) schedule[t] = state[t];
    schedule[8] = 0x80000000 | 0;
    for (t = 9; t < 15; t++) schedule[t] = 0;
    schedule[15] = (BLOCK_SIZE + DIGEST_SIZE) * 8;
    state.set(keys.outer);
    compress(state);
    return hexOf(state);
  }

  // The digest as 64 hex digits. The digits' character codes are gathered and turned into a string
  // in one step: a string built by concatenation would have to be flattened piece by piece when it
  // is read out.
  function hexOf(hash) {
    for (var i = 0; i < 8; i++) {
      var word = hash[i];
      for (var j = 0; j < 8; j++) hexCodes[8 * i + j] = HEX_DIGIT_CODES[(word >>> (28 - 4 * j)) & 0xf];
    }
    return String.fromCharCode.apply(null, hexCodes);
  }

  // The key states of the last secret signed with. A different secret replaces them, so a signature
  // is never made with another secret's states.
  var cachedSecret = null;
  var cachedKeys = null;

  function keysForSecret(secret) {
    if (secret !== cachedSecret) {
      var keys = keyStates(encodeText(secret));
      cachedSecret = secret;
      cachedKeys = keys;
    }
    return cachedKeys;
  }

  return {
    hmacSha256Hex: function (keyBytes, messageBytes) {
      var keys = keyStates(copyBytes(keyBytes));
      return hmacHex(keys, copyBytes(messageBytes));
    },
    signature: function (text, secret) {
      var keys = keysForSecret(secret);
      return hmacHex(keys, encodeText(text));
    }
  };
})();

function generateSignature(text, secret) {
  return VardeloHMAC.signature(String(text), String(secret));
}
