# The start-up record: exactly 544 bytes, checked at every start. Its second u32 is the launch
# marker, 1 once the program has started; the rest is reserved and zero.
resource 'BMID' 105 "Start-up record" {
  u32 0
  u32 1
  zeros 536
}
