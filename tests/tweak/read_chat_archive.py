#!/usr/bin/env python3
"""An independent reader and writer of chat files, with nothing but plistlib.

  read_chat_archive.py read FILE    prints each record as a JSON line, after checking that the
                                    file has the structure Foundation's keyed archiver gives it
  read_chat_archive.py write FILE   writes a chat file from JSON lines on standard input; a key
                                    that a line leaves out is left out of the record
"""

import json
import plistlib
import sys

KEYS = ("message", "messageType", "showAvatar", "showLike", "activeCall")
STRING_KEYS = ("message", "messageType")


class Malformed(Exception):
    pass


def expect(condition, what):
    if not condition:
        raise Malformed(what)


def read(path):
    with open(path, "rb") as f:
        expect(f.read(8) == b"bplist00", "not a binary property list")
        f.seek(0)
        archive = plistlib.load(f)
    expect(archive.get("$archiver") == "NSKeyedArchiver", "$archiver")
    expect(archive.get("$version") == 100000, "$version")
    objects = archive["$objects"]
    expect(objects[0] == "$null", "$objects[0] is not $null")

    def deref(uid):
        expect(isinstance(uid, plistlib.UID), "expected a UID, found %r" % (uid,))
        expect(0 <= uid.data < len(objects), "UID out of range")
        return objects[uid.data]

    def class_of(obj):
        descriptor = deref(obj["$class"])
        return descriptor["$classname"], descriptor["$classes"]

    root = deref(archive["$top"]["root"])
    name, chain = class_of(root)
    expect(name == "NSMutableArray", "root class is %s" % name)
    expect(chain == ["NSMutableArray", "NSArray", "NSObject"], "root classes %r" % (chain,))

    records = []
    for reference in root["NS.objects"]:
        record = deref(reference)
        name, chain = class_of(record)
        expect(name == "ChatDataModel", "record class is %s" % name)
        expect(chain[-1] == "NSObject", "record classes %r" % (chain,))
        line = {}
        for key in STRING_KEYS:
            if key in record:
                value = None if record[key].data == 0 else deref(record[key])
                expect(value is None or isinstance(value, str), "%s is not a string" % key)
                line[key] = value
        for key in KEYS[2:]:
            if key in record:
                expect(isinstance(record[key], bool), "%s is not a boolean" % key)
                line[key] = record[key]
        records.append(line)
    return records


def write(path, lines):
    objects = ["$null"]
    strings = {}

    def string_uid(text):
        if text is None:
            return plistlib.UID(0)
        if text not in strings:
            objects.append(text)
            strings[text] = len(objects) - 1
        return plistlib.UID(strings[text])

    root = {"NS.objects": [], "$class": None}
    objects.append(root)
    record_class = None
    for line in lines:
        record = {}
        objects.append(record)
        root["NS.objects"].append(plistlib.UID(len(objects) - 1))
        for key in STRING_KEYS:
            if key in line:
                record[key] = string_uid(line[key])
        for key in KEYS[2:]:
            if key in line:
                record[key] = bool(line[key])
        if record_class is None:
            objects.append({"$classname": "ChatDataModel", "$classes": ["ChatDataModel", "NSObject"]})
            record_class = plistlib.UID(len(objects) - 1)
        record["$class"] = record_class
    objects.append({"$classname": "NSMutableArray",
                    "$classes": ["NSMutableArray", "NSArray", "NSObject"]})
    root["$class"] = plistlib.UID(len(objects) - 1)
    archive = {"$version": 100000, "$archiver": "NSKeyedArchiver",
               "$top": {"root": plistlib.UID(1)}, "$objects": objects}
    with open(path, "wb") as f:
        plistlib.dump(archive, f, fmt=plistlib.FMT_BINARY, sort_keys=False)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("read", "write"):
        sys.stderr.write(__doc__)
        return 2
    if sys.argv[1] == "read":
        try:
            records = read(sys.argv[2])
        except (Malformed, KeyError, TypeError) as error:
            sys.stderr.write("malformed chat archive: %s\n" % error)
            return 1
        for record in records:
            print(json.dumps(record, ensure_ascii=False))
    else:
        write(sys.argv[2], [json.loads(line) for line in sys.stdin if line.strip()])
    return 0


if __name__ == "__main__":
    sys.exit(main())
