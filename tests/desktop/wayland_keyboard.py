"""One virtual keyboard and pointer on a Wayland compositor for a whole test, spoken to
directly over the compositor's socket (the virtual-keyboard protocol that wtype uses, and
the virtual-pointer one: the headless compositor has no input device of its own).

wtype makes a keyboard of its own for each call, with a keymap of its own, and drops it
at the end: each call changes the seat's keymap twice and GTK sees the keyboard leave and
come back. Keys typed right after were sometimes lost (the first characters of a path in
the file chooser, a Ctrl chord), and an open menu of the menu bar took no more keys. This
keyboard is made once, with one keymap that holds every key the tests press, so that the
program sees one keyboard that never changes.

    keyboard = VirtualKeyboard(socket_path)
    keyboard.press("ctrl+a")      # xdotool's names: "F10", "shift+Tab", "Return", "a"
    keyboard.type("/tmp/vue2.jpg")
    keyboard.click(x, y, 1280, 1024)  # a left click at a point of a 1280 by 1024 layout
    keyboard.close()
"""

import os
import socket
import struct
import time

# The keys the tests press by name, besides the printable ASCII characters.
NAMED_KEYS = ["Return", "Escape", "Tab", "ISO_Left_Tab", "BackSpace", "Delete", "space", "F10", "Left", "Right",
              "Up", "Down", "Home", "End", "Page_Up", "Page_Down", "Shift_L", "Control_L", "Alt_L"]
PUNCTUATION = {
    "!": "exclam", '"': "quotedbl", "#": "numbersign", "$": "dollar", "%": "percent", "&": "ampersand",
    "'": "apostrophe", "(": "parenleft", ")": "parenright", "*": "asterisk", "+": "plus", ",": "comma",
    "-": "minus", ".": "period", "/": "slash", ":": "colon", ";": "semicolon", "<": "less", "=": "equal",
    ">": "greater", "?": "question", "@": "at", "[": "bracketleft", "\\": "backslash", "]": "bracketright",
    "^": "asciicircum", "_": "underscore", "`": "grave", "{": "braceleft", "|": "bar", "}": "braceright",
    "~": "asciitilde", " ": "space",
}
# The keys of the modifiers, by xdotool's names.
MODIFIER_KEYS = {"shift": "Shift_L", "ctrl": "Control_L", "alt": "Alt_L"}
KEY_DELAY = 0.03
BUTTON_LEFT = 0x110  # BTN_LEFT
PRESSED, RELEASED = 1, 0


def keysym_of(character):
    if character.isascii() and character.isalnum():
        return character
    return PUNCTUATION.get(character)


class VirtualKeyboard:
    def __init__(self, socket_path):
        self.keysyms = NAMED_KEYS + [name for name in dict.fromkeys(
            keysym_of(chr(c)) for c in range(32, 127)) if name and name not in NAMED_KEYS]
        # Key code k (evdev numbering, as the protocol sends it) is keysym k - 1; XKB adds 8.
        self.codes = {keysym: index + 1 for index, keysym in enumerate(self.keysyms)}
        self.connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.connection.connect(socket_path)
        self.buffer = b""
        self.next_id = 2
        self.start = time.monotonic()
        registry = self._new_id()
        self._send(1, 1, struct.pack("<I", registry))  # wl_display.get_registry
        globals_ = self._roundtrip(registry)
        seat = self._bind(globals_, "wl_seat", 1)
        manager = self._bind(globals_, "zwp_virtual_keyboard_manager_v1", 1)
        self.keyboard = self._new_id()
        self._send(manager, 0, struct.pack("<II", seat, self.keyboard))  # create_virtual_keyboard
        keymap = self._keymap().encode() + b"\0"
        memory = os.memfd_create("keymap")
        os.write(memory, keymap)
        self._send(self.keyboard, 0, struct.pack("<II", 1, len(keymap)), fds=[memory])  # keymap, XKB v1
        os.close(memory)
        pointers = self._bind(globals_, "zwlr_virtual_pointer_manager_v1", 1)
        self.pointer = self._new_id()
        self._send(pointers, 0, struct.pack("<II", seat, self.pointer))  # create_virtual_pointer
        self._roundtrip(None)

    def _keymap(self):
        codes = "\n".join(f"    <K{code}> = {code + 8};" for code in self.codes.values())
        symbols = "\n".join(f"    key <K{code}> {{ [ {keysym} ] }};" for keysym, code in self.codes.items())
        modifiers = ("    modifier_map Shift { <K%d> };\n    modifier_map Control { <K%d> };\n"
                     "    modifier_map Mod1 { <K%d> };" % (self.codes["Shift_L"], self.codes["Control_L"],
                                                         self.codes["Alt_L"]))
        return ("xkb_keymap {\n"
                f"xkb_keycodes \"orvalis\" {{\n    minimum = 8;\n    maximum = {len(self.codes) + 9};\n{codes}\n}};\n"
                "xkb_types \"orvalis\" { include \"complete\" };\n"
                "xkb_compatibility \"orvalis\" { include \"complete\" };\n"
                f"xkb_symbols \"orvalis\" {{\n{symbols}\n{modifiers}\n}};\n"
                "};\n")

    def _new_id(self):
        self.next_id += 1
        return self.next_id - 1

    def _send(self, target, opcode, arguments, fds=()):
        message = struct.pack("<II", target, (8 + len(arguments)) << 16 | opcode) + arguments
        if fds:
            self.connection.sendmsg([message], [(socket.SOL_SOCKET, socket.SCM_RIGHTS, struct.pack("<i", *fds))])
        else:
            self.connection.sendall(message)

    def _events(self):
        while True:
            while len(self.buffer) >= 8:
                sender, header = struct.unpack_from("<II", self.buffer)
                size = header >> 16
                if len(self.buffer) < size:
                    break
                body, self.buffer = self.buffer[8:size], self.buffer[size:]
                yield sender, header & 0xFFFF, body
            chunk = self.connection.recv(65536)
            if not chunk:
                raise ConnectionError("the compositor closed the connection")
            self.buffer += chunk

    def _roundtrip(self, registry):
        """Waits for everything sent so far to be handled; returns the registry's globals
        seen meanwhile as {interface: (name, version)}."""
        callback = self._new_id()
        self._send(1, 0, struct.pack("<I", callback))  # wl_display.sync
        globals_ = {}
        for sender, opcode, body in self._events():
            if sender == registry and opcode == 0:  # wl_registry.global
                name, length = struct.unpack_from("<II", body)
                interface = body[8:8 + length - 1].decode()
                globals_.setdefault(interface, (name, struct.unpack_from("<I", body, 8 + (length + 3) // 4 * 4)[0]))
            elif sender == 1 and opcode == 0:  # wl_display.error
                raise ConnectionError(f"the compositor refused a request: {body!r}")
            elif sender == callback:
                return globals_

    def _bind(self, globals_, interface, version):
        if interface not in globals_:
            raise ConnectionError(f"the compositor offers no {interface}")
        name, _ = globals_[interface]
        new = self._new_id()
        encoded = interface.encode() + b"\0"
        padded = encoded + b"\0" * (-len(encoded) % 4)
        self._send(2, 0, struct.pack("<II", name, len(encoded)) + padded + struct.pack("<II", version, new))
        return new

    def _time(self):
        return int((time.monotonic() - self.start) * 1000) & 0xFFFFFFFF

    def _key(self, keysym, state):
        if keysym not in self.codes:
            raise ValueError(f"the virtual keyboard has no key {keysym!r}")
        self._send(self.keyboard, 1, struct.pack("<III", self._time(), self.codes[keysym], state))

    def press(self, name):
        """One key with its modifiers, by xdotool's name ("ctrl+a", "shift+Tab", "F10"): the
        modifier keys go down first and up last, as a person's fingers do (the compositor
        derives the modifiers from them)."""
        *modifiers, keysym = name.split("+")
        held = [MODIFIER_KEYS[modifier.lower()] for modifier in modifiers]
        for modifier in held:
            self._key(modifier, PRESSED)
        self._key(keysym, PRESSED)
        self._key(keysym, RELEASED)
        for modifier in reversed(held):
            self._key(modifier, RELEASED)
        self._roundtrip(None)
        time.sleep(KEY_DELAY)

    def click(self, x, y, width, height):
        """A click of the left button at (x, y) of a layout of width by height units."""
        self._send(self.pointer, 1, struct.pack("<IIIII", self._time(), x, y, width, height))  # motion_absolute
        self._send(self.pointer, 4, b"")  # frame
        self._roundtrip(None)
        time.sleep(KEY_DELAY)
        for state in (PRESSED, RELEASED):
            self._send(self.pointer, 2, struct.pack("<III", self._time(), BUTTON_LEFT, state))  # button
            self._send(self.pointer, 4, b"")
            self._roundtrip(None)
            time.sleep(KEY_DELAY)

    def type(self, text):
        for character in text:
            keysym = keysym_of(character)
            if not keysym:
                raise ValueError(f"the virtual keyboard cannot type {character!r}")
            self.press(keysym)

    def close(self):
        self._send(self.keyboard, 3, b"")  # destroy
        self._send(self.pointer, 8, b"")  # destroy
        self.connection.close()
