#!/usr/bin/env python3
"""Prints the device path of an app's data container, named from its bundle identifier the way
the host app names it (two FNV-1a hashes shaped as a version-4 UUID)."""
import sys


def fnv1a(text, basis):
    value = basis
    for byte in text.encode():
        value = ((value ^ byte) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return value


identifier = sys.argv[1]
high = fnv1a(identifier, 14695981039346656037)
low = fnv1a(identifier, 0x9E3779B97F4A7C15)
high = (high & ~0xF000 & 0xFFFFFFFFFFFFFFFF) | 0x4000
low = (low & ~(0xC000 << 48) & 0xFFFFFFFFFFFFFFFF) | (0x8000 << 48)
print("/var/mobile/Containers/Data/Application/%08X-%04X-%04X-%04X-%012X" %
      (high >> 32, (high >> 16) & 0xFFFF, high & 0xFFFF, low >> 48, low & 0xFFFFFFFFFFFF))
