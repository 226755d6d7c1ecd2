launcher-release 1
release 1
expires 2027-01-01T00:00:00Z
stamp 20261207aabbccddeeff
