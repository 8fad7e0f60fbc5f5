#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the small seed corpus of the fuzz targets into corpus/<target>/ (run again after a change of an
input format). libFuzzer adds what it finds to a scratch folder, never here."""
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))


def crc8(data):
    crc = 0
    for b in data:
        for _ in range(8):
            mix = (crc ^ b) & 1
            crc >>= 1
            if mix:
                crc ^= 0x8C
            b >>= 1
    return crc


def frame(cmd, data):
    body = bytes([0x6E, cmd]) + bytes(data)
    return body + bytes([crc8(body)])


def write(target, name, data):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


# Receive path: process, page choice, line state, then operations (see fuzz_receive.cpp).
ACCEPT = [7, 1]          # a good answer accepting the request
TICK = [6]               # the time-out fires
TOGGLE_WRITES = [7, 0]   # writes start or stop failing


def rejected(status=1):  # a good answer with the given status byte, in one piece
    return [2, status, 0]


def receive_seeds():
    for process in range(1, 7):
        write('receive', 'complete_process_%d' % process, bytes([process - 1, 0, 0] + ACCEPT * 140))
    write('receive', 'sensor2_table_read', bytes([2, 1, 0] + ACCEPT * 64))
    write('receive', 'odd_page_index', bytes([3, 2, 0, 200] + ACCEPT * 64))
    write('receive', 'reserve_rejected', bytes([1, 0, 0] + ACCEPT * 5 + rejected()))
    write('receive', 'page5_select_rejected', bytes([2, 0, 0] + ACCEPT * 10 + rejected()))
    write('receive', 'page_number_rejected', bytes([5, 0, 0] + ACCEPT * 8 + ACCEPT * 9 + rejected()))
    write('receive', 'time_out_mid_pages', bytes([4, 0, 0] + ACCEPT * 20 + TICK))
    write('receive', 'write_fails_midway', bytes([5, 0, 0] + ACCEPT * 10 + TOGGLE_WRITES + ACCEPT))
    write('receive', 'port_write_fails_at_once', bytes([0, 0, 1] + ACCEPT * 3))
    # Answers after noise and in three pieces: op 3, noise length, noise, data, pieces, cuts.
    noisy = [0, 0, 0]
    for data_length in (4, 1, 1, 1, 4, 1, 1, 1, 1):
        noisy += [3, 5, 0x6E, 0x82, 0x6E, 0x00, 0x61] + [0x11] * data_length + [2, 3, 2]
    write('receive', 'noise_and_pieces', bytes(noisy))
    # Frames for other commands and with wrong CRCs between good answers.
    mixed = [4, 0, 0]
    for _ in range(9):
        mixed += [4, 3, 0x55] + [5, 7, 0x55] + ACCEPT
    write('receive', 'wrong_frames_between', bytes(mixed))
    rng = random.Random(5)
    write('receive', 'raw_bytes', bytes([0, 0, 0] + [0, 60] + [rng.randrange(256) for _ in range(60)]))
    write('receive', 'late_answer_after_time_out', bytes([0, 0, 0] + TICK + ACCEPT * 2))


def ini_input(section, key, value, integer, content):
    assert len(value) % 12 == 0
    return (bytes([len(section)]) + section + bytes([len(key)]) + key + bytes([len(value) // 12]) + value +
            integer.to_bytes(4, 'little', signed=True) + content)


def inifile_seeds():
    write('inifile', 'options', ini_input(b'OPTIONS', b'Port', b'/dev/ttyUSB0', 7,
                                          b'[OPTIONS]\r\nPort=COM3\r\nAppIdent=ZK\r\nInstCount=$1F\r\n'))
    write('inifile', 'volume_store', ini_input(b'SNA1B2C3D4', b'Tank2', b'0x1F4       ', -1,
                                               b'[SN00000001]\nTank1=750\nTank2=abc\n[SNA1B2C3D4]\nTank1=500'))
    write('inifile', 'mixed_endings', ini_input(b'b', b'k', b'v' * 12, 0,
                                                b'  [ a ] \r\nx = 1 \n\n[b]\r\nk=old\r\r\ny=2\n\n  '))
    write('inifile', 'cr_alone', ini_input(b'S', b'K', b' ' * 12, -(1 << 31), b'[S]\rK=1\rL=2\r'))
    write('inifile', 'nul_bytes', ini_input(b'S\x00', b'K', b'\x00' * 12, 42, b'[S\x00]\nK=\x00x\n[T]\nK\x00=1'))
    write('inifile', 'long_value', ini_input(b'PAGE_1', b'Value_2', b'9' * 2100, 65535,
                                             b'[PAGE_1]\nValue_2=' + b'7' * 3000 + b'\n'))
    write('inifile', 'empty', ini_input(b'NEW', b'Key', b'', 0, b''))


def zkt(values=None, pages=64):
    entries = [('ID', 'A1B2C3D4'), ('SW', '00010203'), ('Sensor_on_0', '1'), ('Sensor_on_1', '0'),
               ('Net_addr_0', '7'), ('Net_addr_1', '9'), ('Inversion', '1'), ('Mult_Factor', '12'),
               ('trl', '40'), ('Interval', '3'), ('P_Mode', '1'), ('Volume_0', '750'), ('Volume_1', '1250')]
    values = values or {}
    lines = ['[PARAMETERS]'] + ['%s=%s' % (k, values.get(k, v)) for k, v in entries]
    for p in range(pages):
        lines.append('[PAGE_%d]' % p)
        lines += ['Value_%d=%s' % (w, values.get((p, w), p * 1000 + w)) for w in range(32)]
    return ('\r\n'.join(lines) + '\r\n').encode()


def config_file_seeds():
    write('config_file', 'saved_by_the_program', zkt())
    write('config_file', 'hex_and_large_values', zkt({'Net_addr_0': '300', 'Mult_Factor': '$FF', 'trl': '0x10',
                                                      (3, 5): '65536', 'Volume_1': '-1'}))
    write('config_file', 'parameters_only', zkt(pages=0))
    write('config_file', 'words_not_numbers', zkt({'Sensor_on_1': 'yes', (0, 0): 'x', (63, 31): ''}, pages=2))


def language_seeds():
    write('language', 'english', b'[LANGUAGE]\r\n001=English\r\n[MESSAGES]\r\n003=Reading failed: \r\n'
                                 b'021=The file lacks an entry. Abandon loading?\r\n[MAIN]\r\n0024=Configuration\r\n')
    write('language', 'russian_1251', '[LANGUAGE]\r\n001=Русский\r\n[MESSAGES]\r\n003=Ошибка чтения: \r\n'
                                      .encode('cp1251'))
    write('language', 'russian_utf8', '[LANGUAGE]\n001=Русский\n[MESSAGES]\n003=Ошибка чтения: \n'.encode())
    write('language', 'broken_utf8', b'[LANGUAGE]\n001=Fran\xc3\n[MESSAGES]\n003=\xe9t\xe9 \x98\n')
    write('language', 'no_name', b'[MESSAGES]\n001=x\n[LANGUAGE]\n001=\n')
    write('language', 'byte_order_mark', b'\xef\xbb\xbf[LANGUAGE]\r\n001=English\r\n[MESSAGES]\r\n003=Failed: \r\n')


if __name__ == '__main__':
    receive_seeds()
    inifile_seeds()
    config_file_seeds()
    language_seeds()
