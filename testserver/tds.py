"""TDS 7.4 framing and the server's tokens, as much as the stand-in needs."""

import struct

# Packet types
SQL_BATCH = 0x01
REPLY = 0x04
RPC = 0x03
ATTENTION = 0x06
LOGIN7 = 0x10
PRELOGIN = 0x12

STATUS_EOM = 0x01

# DONE status bits
DONE_FINAL = 0x00
DONE_MORE = 0x01
DONE_ERROR = 0x02
DONE_COUNT = 0x10
DONE_ATTN = 0x20

# A Latin1_General_CI_AS collation, for the character columns.
COLLATION = bytes([0x09, 0x04, 0xD0, 0x00, 0x34])


def packets(kind, payload, size=4096, complete=True):
    """Splits one message into packets of at most `size` bytes; without
    `complete` no packet ends the message, as when a server stops mid-reply."""
    body = size - 8
    chunks = [payload[i:i + body] for i in range(0, len(payload), body)] or [b""]
    out = bytearray()
    for n, chunk in enumerate(chunks):
        last = complete and n == len(chunks) - 1
        out += struct.pack(">BBHHBB", kind, STATUS_EOM if last else 0, len(chunk) + 8, 0,
                           (n + 1) % 256, 0)
        out += chunk
    return bytes(out)


def read_message(sock):
    """Reads packets up to the end of a message: (type, payload), or None at
    EOF. `sock` needs only recv."""
    payload = bytearray()
    kind = None
    while True:
        header = _read_exact(sock, 8)
        if header is None:
            return None
        kind, status, length = header[0], header[1], struct.unpack(">H", header[2:4])[0]
        if length < 8:
            return None
        body = _read_exact(sock, length - 8)
        if body is None:
            return None
        payload += body
        if status & STATUS_EOM:
            return kind, bytes(payload)


def _read_exact(sock, n):
    data = bytearray()
    while len(data) < n:
        chunk = sock.recv(n - len(data))
        if not chunk:
            return None
        data += chunk
    return bytes(data)


def b_varchar(text):
    data = text.encode("utf-16-le", errors="surrogatepass")
    return struct.pack("<B", len(data) // 2) + data


def us_varchar(text):
    data = text.encode("utf-16-le", errors="surrogatepass")
    return struct.pack("<H", len(data) // 2) + data


# Pre-login ENCRYPTION values.
ENCRYPT_OFF = 0x00
ENCRYPT_ON = 0x01
ENCRYPT_NOT_SUP = 0x02
ENCRYPT_REQ = 0x03

# Product versions (major, minor, build) and the TDS versions their servers
# answer a login with.
PRODUCT_VERSIONS = {2022: (16, 0, 1000), 2000: (8, 0, 194)}
TDS_VERSIONS = {2022: bytes([0x74, 0x00, 0x00, 0x04]), 2000: bytes([0x71, 0x00, 0x00, 0x01])}


def parse_prelogin(payload):
    """The options of a PRELOGIN message, by token."""
    options, i = {}, 0
    while i + 5 <= len(payload) and payload[i] != 0xFF:
        token, offset, length = struct.unpack(">BHH", payload[i:i + 5])
        options[token] = payload[offset:offset + length]
        i += 5
    return options


def prelogin_reply(version=2022, encryption=ENCRYPT_NOT_SUP):
    """VERSION, ENCRYPTION, INSTOPT, THREADID, MARS."""
    major, minor, build = PRODUCT_VERSIONS[version]
    options = [
        (0x00, struct.pack(">BBHH", major, minor, build, 0)),
        (0x01, bytes([encryption])),
        (0x02, bytes([0])),
        (0x03, struct.pack(">I", 0)),
        (0x04, bytes([0])),
    ]
    offset = 5 * len(options) + 1
    head, data = bytearray(), bytearray()
    for token, value in options:
        head += struct.pack(">BHH", token, offset + len(data), len(value))
        data += value
    return bytes(head) + b"\xff" + bytes(data)


def parse_login7(payload):
    """The fields of a LOGIN7 message that the stand-in uses."""
    tds_version = payload[4:8]
    fields = {}
    names = ["host", "user", "password", "app", "server", "extension", "library", "language",
             "database"]
    for i, name in enumerate(names):
        offset, length = struct.unpack("<HH", payload[36 + 4 * i:40 + 4 * i])
        raw = payload[offset:offset + 2 * length]
        if name == "password":
            raw = bytes((((b ^ 0xA5) << 4) & 0xF0) | (((b ^ 0xA5) >> 4) & 0x0F) for b in raw)
        fields[name] = raw.decode("utf-16-le", errors="surrogatepass") if name != "extension" else ""
    sspi_offset, sspi_length = struct.unpack("<HH", payload[78:82])
    fields["sspi"] = payload[sspi_offset:sspi_offset + sspi_length]
    fields["integrated"] = bool(payload[25] & 0x80)  # fIntSecurity in OptionFlags2
    fields["tds_version"] = tds_version
    return fields


def envchange_database(new, old):
    body = bytes([1]) + b_varchar(new) + b_varchar(old)
    return bytes([0xE3]) + struct.pack("<H", len(body)) + body


def envchange_language(language):
    body = bytes([2]) + b_varchar(language) + b_varchar("")
    return bytes([0xE3]) + struct.pack("<H", len(body)) + body


def envchange_collation(collation=None):
    value = collation or COLLATION
    body = bytes([7, len(value)]) + value + bytes([0])
    return bytes([0xE3]) + struct.pack("<H", len(body)) + body


def envchange_packet_size(size):
    body = bytes([4]) + b_varchar(str(size)) + b_varchar("4096")
    return bytes([0xE3]) + struct.pack("<H", len(body)) + body


def loginack(version=2022):
    """The TDS version goes most significant byte first, then the product's
    name and version."""
    major, minor, build = PRODUCT_VERSIONS[version]
    body = bytes([1]) + TDS_VERSIONS[version] + b_varchar("Microsoft SQL Server") + \
        struct.pack(">BBH", major, minor, build)
    return bytes([0xAD]) + struct.pack("<H", len(body)) + body


def info(number, text, state=1, severity=0, server="STANDIN", wide=True):
    return _message(0xAB, number, text, state, severity, server, wide)


def error(number, text, state=1, severity=16, server="STANDIN", wide=True):
    return _message(0xAA, number, text, state, severity, server, wide)


def _message(token, number, text, state, severity, server, wide):
    """The line number has 4 bytes from TDS 7.2 on, 2 before."""
    body = struct.pack("<iBB", number, state, severity) + us_varchar(text) + \
        b_varchar(server) + b_varchar("") + struct.pack("<i" if wide else "<H", 1)
    return bytes([token]) + struct.pack("<H", len(body)) + body


def done(status=DONE_FINAL, rowcount=0, wide=True):
    """A DONE token; its row count has 8 bytes from TDS 7.2 on, 4 before."""
    return bytes([0xFD]) + struct.pack("<HHQ" if wide else "<HHI", status, 0xC1, rowcount)


# Column kinds of a result.
NVARCHAR = "nvarchar"
SMALLINT = "smallint"
NUMERIC = "numeric"
INT = "int"
TINYINT = "tinyint"
# The nullable integers (INTN) by width.
INT_WIDTHS = {SMALLINT: (2, "<h"), INT: (4, "<i"), TINYINT: (1, "<B")}


def colmetadata(columns, wide=True):
    """columns: list of (name, kind). A column's user type has 4 bytes from
    TDS 7.2 on, 2 before."""
    out = bytearray([0x81]) + struct.pack("<H", len(columns))
    for name, kind in columns:
        out += struct.pack("<IH" if wide else "<HH", 0, 0x0001)  # usertype, flags: nullable
        if kind == NVARCHAR:
            out += bytes([0xE7]) + struct.pack("<H", 256) + COLLATION
        elif kind in INT_WIDTHS:
            out += bytes([0x26, INT_WIDTHS[kind][0]])
        elif kind == NUMERIC:
            out += bytes([0x6C, 17, 38, 0])
        else:
            raise ValueError(kind)
        out += b_varchar(name)
    return bytes(out)


def row(columns, values):
    out = bytearray([0xD1])
    for (_, kind), value in zip(columns, values):
        if kind == NVARCHAR:
            if value is None:
                out += b"\xff\xff"
            else:
                data = value.encode("utf-16-le", errors="surrogatepass")
                out += struct.pack("<H", len(data)) + data
        elif kind in INT_WIDTHS:
            width, form = INT_WIDTHS[kind]
            out += b"\x00" if value is None else bytes([width]) + struct.pack(form, value)
        elif kind == NUMERIC:
            if value is None:
                out += b"\x00"
            else:
                out += bytes([17, 1 if value >= 0 else 0]) + abs(int(value)).to_bytes(16, "little")
    return bytes(out)
