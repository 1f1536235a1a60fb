# SPDX-License-Identifier: GPL-3.0-or-later
# A stand-in udisks2 for python3-dbusmock: one floppy drive, /dev/sdb, whose disks are folders of
# a box named by their labels. Mounting moves the disk's folder to media/LABEL, unmounting moves
# it back. Parameters: {"media": folder, "box": folder, "auto": the desktop mounts each disk put
# in}. The test puts disks in with org.kestrix.Drive.Insert(label).
import os

import dbus
from gi.repository import GLib
from dbusmock import mockobject

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
MAIN_IFACE = 'org.freedesktop.UDisks2.Manager'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

DRIVE = '/org/freedesktop/UDisks2/block_devices/sdb'
FS = 'org.freedesktop.UDisks2.Filesystem'
ERROR = 'org.freedesktop.UDisks2.Error.'


def mounted(drive):
    return [bytes(p[:-1]).decode() for p in drive.props[FS]['MountPoints']]


def mount(drive):
    if not drive.label:
        raise dbus.exceptions.DBusException('No medium', name=ERROR + 'Failed')
    if mounted(drive):
        raise dbus.exceptions.DBusException('Already mounted', name=ERROR + 'AlreadyMounted')
    target = os.path.join(drive.media, drive.label)
    os.rename(os.path.join(drive.box, drive.label), target)
    drive.Set(FS, 'MountPoints',
              dbus.Array([dbus.ByteArray(target.encode() + b'\0')], signature='ay'))
    return target


def unmount(drive):
    points = mounted(drive)
    if not points:
        raise dbus.exceptions.DBusException('Not mounted', name=ERROR + 'NotMounted')
    os.rename(points[0], os.path.join(drive.box, os.path.basename(points[0])))
    drive.Set(FS, 'MountPoints', dbus.Array([], signature='ay'))


def insert(drive, label):
    if mounted(drive):  # pulled while mounted: the fault kestrix must never leave
        raise dbus.exceptions.DBusException('Disk still mounted', name=ERROR + 'DeviceBusy')
    drive.label = label
    os.makedirs(os.path.join(drive.box, label), exist_ok=True)
    if drive.auto:  # the desktop mounts it a moment after
        GLib.idle_add(lambda: mount(drive) and False)


def load(mock, parameters):
    mock.AddObject(DRIVE, 'org.freedesktop.UDisks2.Block', {
        'Device': dbus.ByteArray(b'/dev/sdb\0'),
        'Size': dbus.UInt64(1474560),
        'IdType': 'vfat',
    }, [('Rescan', 'a{sv}', '', '')])
    drive = mockobject.objects[DRIVE]
    drive.AddProperties(FS, {'MountPoints': dbus.Array([], signature='ay')})
    drive.AddMethods(FS, [('Mount', 'a{sv}', 's', 'ret = self.mount(self)'),
                          ('Unmount', 'a{sv}', '', 'self.unmount(self)')])
    drive.AddMethods('org.kestrix.Drive', [('Insert', 's', '', 'self.insert(self, args[0])')])
    drive.label, drive.media, drive.box = '', parameters['media'], parameters['box']
    drive.auto = parameters.get('auto', False)
    drive.mount, drive.unmount, drive.insert = mount, unmount, insert
    open(os.path.join(drive.box, '.ready'), 'w').close()
