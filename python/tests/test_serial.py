import pytest

import quorlex


def test_exchange_with_the_simulated_camera():
    ports = list(quorlex.SerialPort.ports())
    assert len(ports) == quorlex.SerialPort.count() >= 2
    assert all(isinstance(i, int) and isinstance(name, str) and name for i, name in ports)
    with quorlex.SerialPort(0) as port:
        assert 9600 in port.baud_rates and 115200 in port.baud_rates
        assert port.write(b"ID?\r") == 4
        assert port.read_line(timeout=2.0) == b"SIMCAM 0A\r\n"
        port.set_baud_rate(115200)
        port.write(b"SET gain 7\r")
        assert port.read_line(timeout=2.0) == b"OK\r\n"
        port.write(b"GET gain\r")
        answer = port.read(len(b"gain 7\r\n"), timeout=2.0)
        assert answer == b"gain 7\r\n"
        assert port.read(4, timeout=0.05) == b""  # nothing more: a time-out is no error
        assert port.bytes_available == 0
    with quorlex.SerialPort(1) as b:
        b.write(b"ID?\n")
        assert b.read_line(timeout=2.0) == b"SIMCAM 0B\r\n"


def test_serial_errors():
    with pytest.raises(quorlex.Error) as e:
        quorlex.SerialPort(40)
    assert (e.value.number, e.value.text) == (-10005, "Not a valid index.")
    with pytest.raises(TypeError):
        quorlex.SerialPort("0")
    port = quorlex.SerialPort(0)
    with pytest.raises(TypeError):
        port.write("ID?\r")
    with pytest.raises(ValueError):
        port.set_baud_rate(1234)
    with pytest.raises(ValueError):
        port.read(4, timeout=-1)
    port.close()
    assert port.closed
    with pytest.raises(ValueError):
        port.write(b"ID?\r")
    with pytest.raises(ValueError):
        port.read(1)
