#!/usr/bin/env python3
"""Runs a Windows test program under Wine with COM7 on a pseudo-terminal and plays the far
end of the line: it answers each line that the program sends.

  $ECHO...   the line comes back unchanged
  $MODE      "$MODE,<baud>,<data bits>,<stop bits>,<flow control>" as the terminal is set
  $LATE...   "$LATE,OK" after 1.5 s
  $SILENT... no answer
  $HANGUP    the pseudo-terminal is closed, as when an adapter is pulled out

Usage: pty_peer.py WINE PROGRAM [ARGS...]; the program's exit status is the result.
Wine reaches the pseudo-terminal through a link in the prefix that the registry names as
COM7, so that a new terminal needs no restart of the Wine server.
"""
import os
import pty
import subprocess
import sys
import termios
import threading
import time
import tty

PORT = 7

BAUD_RATES = {getattr(termios, name): int(name[1:])
              for name in dir(termios) if name[0] == 'B' and name[1:].isdigit()}
CHARACTER_SIZES = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}


def wine_prefix():
    return os.environ.get('WINEPREFIX') or os.path.join(os.path.expanduser('~'), '.wine')


def point_com_port_at(wine, terminal_path):
    prefix = wine_prefix()
    stable = os.path.join(prefix, 'zr640-com%d' % PORT)
    temporary = stable + '.new'
    if os.path.lexists(temporary):
        os.remove(temporary)
    os.symlink(terminal_path, temporary)
    os.replace(temporary, stable)
    dos_device = os.path.join(prefix, 'dosdevices', 'com%d' % PORT)
    if os.path.realpath(dos_device) != os.path.realpath(stable) or not os.path.islink(dos_device):
        subprocess.run([wine, 'reg', 'add', r'HKLM\Software\Wine\Ports', '/v', 'COM%d' % PORT,
                        '/d', stable, '/f'], check=True, capture_output=True)


def line_mode(master):
    attributes = termios.tcgetattr(master)
    cflag, iflag, ospeed = attributes[2], attributes[0], attributes[5]
    flow = []
    if cflag & termios.CRTSCTS:
        flow.append('RTSCTS')
    if iflag & termios.IXON:
        flow.append('IXON')
    if iflag & termios.IXOFF:
        flow.append('IXOFF')
    return '$MODE,%s,%d,%d,%s\r\n' % (
        BAUD_RATES.get(ospeed, 'B%o' % ospeed), CHARACTER_SIZES[cflag & termios.CSIZE],
        2 if cflag & termios.CSTOPB else 1, '+'.join(flow) or 'NONE')


class Peer(threading.Thread):
    def __init__(self, master):
        super().__init__(daemon=True)
        self.master = master
        self.stopped = threading.Event()

    def send(self, text):
        os.write(self.master, text if isinstance(text, bytes) else text.encode('latin-1'))

    def lines(self):
        pending = b''
        while not self.stopped.is_set():
            try:
                chunk = os.read(self.master, 256)
            except OSError:
                # No one has the terminal open (yet, or between a closing and a reopening).
                time.sleep(0.02)
                continue
            pending += chunk
            while b'\n' in pending:
                line, pending = pending.split(b'\n', 1)
                yield line + b'\n'

    def run(self):
        for line in self.lines():
            if line.startswith(b'$ECHO'):
                self.send(line)
            elif line.startswith(b'$MODE'):
                self.send(line_mode(self.master))
            elif line.startswith(b'$LATE'):
                time.sleep(1.5)
                self.send('$LATE,OK\r\n')
            elif line.startswith(b'$HANGUP'):
                os.close(self.master)
                return


def main():
    wine, program, arguments = sys.argv[1], sys.argv[2], sys.argv[3:]
    master, slave = pty.openpty()
    tty.setraw(slave)
    terminal_path = os.ttyname(slave)
    os.close(slave)
    point_com_port_at(wine, terminal_path)
    peer = Peer(master)
    peer.start()
    environment = dict(os.environ, ZR640_TEST_COM=str(PORT))
    result = subprocess.run([wine, program] + arguments, env=environment, timeout=600)
    peer.stopped.set()
    return result.returncode


if __name__ == '__main__':
    sys.exit(main())
