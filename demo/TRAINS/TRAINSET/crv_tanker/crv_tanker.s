SIMISA@@@@@@@@@@JINX0s1t______

comment ( Corvanel demo placeholder shape for crv_tanker, not a real shape )
